// SPDX-License-Identifier: MIT
#include "window/frmMain.h"

#include "KelvaneVersion.h"
#include "controls/vFile.h"
#include "controls/vFrame.h"
#include "controls/vParser.h"
#include "controls/vTools.h"
#include "platform/FolderLauncher.h"
#include "platform/MsgBox.h"
#include "window/Accessibility.h"
#include "window/BookmarkListFile.h"
#include "window/ClickableLabel.h"
#include "window/ControlLookup.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileDrop.h"
#include "window/FileListBox.h"
#include "window/FormBuilder.h"
#include "window/FormScroller.h"
#include "window/KeyboardCommands.h"
#include "window/ListFocus.h"
#include "window/LongOperation.h"
#include "window/RunProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace kelvane {

const QString frmMain::kProductName = QStringLiteral("Kelvane");
const QString frmMain::kVersion = QStringLiteral(KELVANE_VERSION);
const QString frmMain::kByLine = QStringLiteral("by www.kelvane.example");
const QString frmMain::kHelpText = QStringLiteral(
    "The software allows you to encrypt your files with a password of your choice. It is "
    "important that A) You keep a copy of your original files. B) You remember the password "
    "that you've used as without it, the locked files can't be unencrypted. Please notice that "
    "no encryption system is unbeatable but using no encryption at all is a guaranteed way of "
    "getting your valuable information exposed. Finally, this software does not connect to the "
    "internet and does not transmit information to any kind of device.");

namespace {
constexpr int kPleaseWaitInterval = 700;
}

frmMain::frmMain(QWidget* parent)
    : QWidget(parent), m_vFile(std::make_unique<vFile>()), m_vParser(std::make_unique<vParser>()),
      m_vTools(std::make_unique<vTools>()) {
    installScreenReaderInterfaces();
    bindControls();
    const layout::FormDesign& design = layout::mainWindowDesign();
    m_scroller = new FormScroller(*this, QSize(FormBuilder::pixels(design.clientWidth),
                                               FormBuilder::pixels(design.clientHeight)));
    new ListFocus(*m_controls.Dir1);
    new ListFocus(*m_controls.File1);
    m_bookmarks = std::make_unique<BookmarkListFile>(*m_controls.List1);
    connectEvents();
    m_progress = new RunProgress(*this, *m_controls.Picture1);
    new KeyboardCommands(*this);
    new FileDrop(*this);
    describeForScreenReaders(*this);
    m_controls.lblFileFrom->setWholeTextTip(true);
    m_controls.lblFileTo->setWholeTextTip(true);
}

frmMain::~frmMain() {
    // A run still going when the window goes stops first: its worker uses the window's tools.
    qDeleteAll(findChildren<LongOperation*>(Qt::FindDirectChildrenOnly));
}

void frmMain::bindControls() {
    FormBuilder builder(*this);
    const ControlLookup found(builder.build(layout::mainWindowDesign()));
    MainControls& c = m_controls;
    found.bind(c.Picture1, "Picture1");
    found.bind(c.lblAppName, "lblAppName");
    found.bind(c.lblBy, "lblBy");
    found.bind(c.lblPleaseWait, "lblPleaseWait");
    found.bind(c.vButton[0], "vButton(0)");
    found.bind(c.vButton[1], "vButton(1)");
    found.bind(c.vButton[2], "vButton(2)");
    found.bind(c.lblLockFile[0], "lblLockFile(0)");
    found.bind(c.lblLockFile[1], "lblLockFile(1)");
    found.bind(c.lblLockFile[2], "lblLockFile(2)");
    found.bind(c.Label1, "Label1");
    found.bind(c.frContainer, "frContainer");
    found.bind(c.frSelector, "frSelector");
    found.bind(c.Drive1, "Drive1");
    found.bind(c.lblRefresh, "lblRefresh");
    found.bind(c.lblOpenFolder, "lblOpenFolder");
    found.bind(c.Dir1, "Dir1");
    found.bind(c.File1, "File1");
    found.bind(c.cmdAddToAutomated, "cmdAddToAutomated");
    found.bind(c.lblFileFrom_Caption, "lblFileFrom_Caption");
    found.bind(c.lblFileFrom, "lblFileFrom");
    found.bind(c.lblFileTo_Caption, "lblFileTo_Caption");
    found.bind(c.lblFileTo, "lblFileTo");
    found.bind(c.cmdChangeOutputFilename, "cmdChangeOutputFilename");
    found.bind(c.lblFilePassword_Caption, "lblFilePassword_Caption");
    found.bind(c.txtPassword, "txtPassword");
    found.bind(c.cmdApply, "cmdApply");
    found.bind(c.frAutomated, "frAutomated");
    found.bind(c.Label3, "Label3");
    found.bind(c.lblRemoveSelectedItem, "lblRemoveSelectedItem");
    found.bind(c.Label2, "Label2");
    found.bind(c.List1, "List1");
    found.bind(c.Label4, "Label4");
    found.bind(c.txtPassword1, "txtPassword1");
    found.bind(c.cmdLockMultipleFiles, "cmdLockMultipleFiles");
    found.bind(c.lstBookmarkedItem, "lstBookmarkedItem");
    found.bind(c.lblStempfilename, "lblStempfilename");

    // A pasted password is taken whole, as on the command line, however long; a password too
    // long for its seed is refused with a message when it is used.
    c.txtPassword->setMaxLength(std::numeric_limits<int>::max());
    c.txtPassword1->setMaxLength(std::numeric_limits<int>::max());

    c.tmrPleaseWait = new QTimer(this);
    c.tmrPleaseWait->setObjectName(QStringLiteral("tmrPleaseWait"));
    c.tmrPleaseWait->setInterval(kPleaseWaitInterval);
    c.vFile1 = m_vFile.get();
    c.vParser1 = m_vParser.get();
    c.vTools1 = m_vTools.get();
}

void frmMain::connectEvents() {
    const MainControls& c = m_controls;
    connect(c.Drive1, &DriveListBox::Change, this, &frmMain::Drive1_Change);
    connect(c.Dir1, &DirListBox::Change, this, &frmMain::Dir1_Change);
    connect(c.lblRefresh, &ClickableLabel::Click, this, &frmMain::lblRefresh_Click);
    connect(c.lblOpenFolder, &ClickableLabel::Click, this, &frmMain::lblOpenFolder_Click);
    connect(c.Label1, &ClickableLabel::Click, this, &frmMain::Label1_Click);
    connect(c.tmrPleaseWait, &QTimer::timeout, this, &frmMain::tmrPleaseWait_Timer);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &frmMain::focusWindowChanged);
}

void frmMain::Form_Load() {
    MainControls& c = m_controls;
    c.frAutomated->setGeometry(c.frContainer->geometry());
    c.lblBy->setText(kByLine);
    c.vButton[2]->setVisible(true);
    setWindowTitle(kProductName + " Pro " + kVersion + " " + kByLine);
    c.lblAppName->setText(kProductName + " Pro");
    LoadBookmarks();
    c.vButton[0]->setCollapsed(false);
}

void frmMain::Form_Resize() {
    constexpr float kTwips = layout::kTwipsPerPixel;
    const QSize outer = frameGeometry().size() - size() + m_scroller->contentSize();
    const float width = std::max(0.0f, static_cast<float>(outer.width()) * kTwips - 500.0f);
    const float height = std::max(0.0f, static_cast<float>(outer.height()) * kTwips - 3500.0f);
    m_controls.frContainer->resize(FormBuilder::pixels(width), FormBuilder::pixels(height));
}

void frmMain::openWithin(const QRect& available, const QMargins& frame) {
    const QSize room = available.size().shrunkBy(frame).expandedTo(QSize(1, 1));
    if (width() <= room.width() && height() <= room.height()) {
        return;
    }
    resize(size().boundedTo(room));
    move(available.topLeft()); // a window's position is that of its frame
}

void frmMain::Form_Activate() {
    lblRefresh_Click();
}

void frmMain::Form_GotFocus() {
    lblRefresh_Click();
}

void frmMain::EnableInputs(bool enabled) {
    const MainControls& c = m_controls;
    c.cmdApply->setEnabled(enabled);
    c.cmdChangeOutputFilename->setEnabled(enabled);
    c.txtPassword->setEnabled(enabled);
    c.File1->setEnabled(enabled);
    c.Dir1->setEnabled(enabled);
    c.Drive1->setEnabled(enabled);
}

void frmMain::PleaseWaitStart() {
    EnableInputs(false);
    m_controls.tmrPleaseWait->start();
}

void frmMain::PleaseWaitStop() {
    m_controls.tmrPleaseWait->stop();
    m_controls.lblPleaseWait->setVisible(false);
}

void frmMain::tmrPleaseWait_Timer() {
    ClickableLabel* label = m_controls.lblPleaseWait;
    label->setVisible(label->isHidden());
}

// The list handlers go on with their next step when one fails; a failing step changes nothing.
void frmMain::Drive1_Change() {
    const MainControls& c = m_controls;
    c.Dir1->setPath(c.Drive1->Drive());
    c.File1->setPath(c.Dir1->Path());
}

void frmMain::Dir1_Change() {
    m_controls.File1->setPath(m_controls.Dir1->Path());
}

void frmMain::lblRefresh_Click() {
    refreshBrowser();
    m_bookmarks->reload();
}

void frmMain::refreshBrowser() {
    const MainControls& c = m_controls;
    c.Drive1->Refresh();
    c.Dir1->Refresh();
    c.File1->Refresh();
}

void frmMain::lblOpenFolder_Click() {
    const QString folder = m_controls.Dir1->Path();
    const QPointer<frmMain> window(this);
    const auto failed = [window, folder] {
        if (window) {
            MsgBox(QStringLiteral("No file manager could be started to open the folder %1.")
                       .arg(QDir::toNativeSeparators(folder)),
                   vbExclamation, QStringLiteral("Error"));
        }
    };
    if (!OpenFolderInFileManager(folder, failed)) {
        failed();
    }
}

void frmMain::Label1_Click() {
    MsgBox(kHelpText, vbInformation, QStringLiteral("Info"));
}

QString frmMain::BookmarkListPath() const {
    return m_bookmarks->BookmarkListPath();
}

bool frmMain::SaveBookmarks() {
    return m_bookmarks->SaveBookmarks();
}

void frmMain::LoadBookmarks() {
    m_bookmarks->LoadBookmarks();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Form_Resize();
}

void frmMain::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    Form_GotFocus();
}

// The window is activated when it is first shown and whenever it takes over from another of
// the program's windows (the file name dialog); not when a message box closes, nor when the
// user comes back from another program. The window remembers which window had the focus last.
void frmMain::focusWindowChanged(QWindow* window) {
    if (window != nullptr && window == windowHandle()) {
        if (!m_activatedOnce || m_focusCameFromForm) {
            m_activatedOnce = true;
            Form_Activate();
        }
        m_focusCameFromForm = false;
        return;
    }
    if (window == nullptr) {
        return; // between two windows, or another program is active
    }
    const QWidget* form = nullptr;
    for (const QWidget* topLevel : QApplication::topLevelWidgets()) {
        if (topLevel->windowHandle() == window) {
            form = topLevel;
        }
    }
    m_focusCameFromForm = form != nullptr && qobject_cast<const QMessageBox*>(form) == nullptr;
}

} // namespace kelvane
