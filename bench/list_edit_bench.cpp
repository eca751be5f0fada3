// SPDX-License-Identifier: MIT
// One change of a long bookmark list in the window, from the click to the list saved: the add
// of "Add File to Bookmarked Files" and the remove of "Remove Selected Item", on a list of
// ENTRIES (10,000 unless given) in a fresh program folder. Prints the median of ROUNDS of each,
// in seconds.
#include "app/CommandSets.h"
#include "core/BookmarkListLocation.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"
#include "window/ClickableLabel.h"
#include "window/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10'000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    kelvane::MessageBoxes::setTestMode(true);

    const QTemporaryDir program;
    kelvane::setProgramFolderForTesting(program.path());
    // A portable copy: the list beside the program, in the temporary folder.
    QFile(program.filePath(kelvane::BookmarkListLocation::kPortableMarker))
        .open(QIODevice::WriteOnly);
    QByteArray list;
    for (int i = 0; i < entries; ++i) {
        list += QStringLiteral("/data/file%1.txt=/data/file%1_locked.txt\n").arg(i).toUtf8();
    }
    QFile file(program.filePath("bookmarked.txt"));
    if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size()) {
        std::fprintf(stderr, "cannot write the list\n");
        return 1;
    }
    file.close();

    kelvane::frmMain window;
    kelvane::attachCommandSets(window);
    window.Form_Load();
    const kelvane::MainControls& c = window.controls();
    std::vector<double> add, remove;
    for (int round = 0; round < rounds; ++round) {
        c.lblFileFrom->setText(QStringLiteral("/data/new%1.txt").arg(round));
        c.lblFileTo->setText(QStringLiteral("/data/new%1_locked.txt").arg(round));
        QElapsedTimer timer;
        timer.start();
        c.cmdAddToAutomated->click();
        add.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);

        c.List1->setCurrentRow(c.List1->count() - 1);
        timer.restart();
        emit c.lblRemoveSelectedItem->Click();
        remove.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    if (c.List1->count() != entries) {
        std::fprintf(stderr, "the list holds %d entries, not %d\n", c.List1->count(), entries);
        return 1;
    }
    std::printf("%.4f %.4f\n", median(add), median(remove));
    return 0;
}
