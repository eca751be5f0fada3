// SPDX-License-Identifier: MIT
#pragma once

#include <QRgb>

#include <span>

namespace kelvane::layout {

// Positions and sizes are in twips, relative to the inside of the parent control.
constexpr int kTwipsPerPixel = 15;

enum class Kind {
    Picture,       // a plain panel with a background colour
    Label,         // ClickableLabel
    ModeButton,    // vFrame
    Frame,         // a group box; its caption is the frame's title
    DriveList,     // DriveListBox
    DirList,       // DirListBox
    FileList,      // FileListBox
    CommandButton, // push button
    TextBox,       // one-line text box
    ListBox,       // list of text items
};

enum class Align { Left, Centre, Right };

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Font {
    double points = 0; // 0: the toolkit's default font
    bool bold = false;
};

struct Look {
    QRgb fore = 0; // 0: the desktop's standard colour
    QRgb back = 0;
    Align align = Align::Left;
    bool link = false;          // dark blue, underlined, acts on a click
    bool border = false;        // a single sunken border
    bool hidden = false;        // not visible at start
    bool defaultButton = false; // pressed by Enter
};

struct ControlDesign {
    const char* name; // a control array element is named "name(index)"
    Kind kind;
    const char* parent; // the form's name for a control placed on the form itself
    const char* caption;
    Rect rect;
    int tab; // position in the focus order; -1 for none
    Font font;
    Look look;
};

struct FormDesign {
    const char* name;
    const char* caption;
    int clientWidth; // twips
    int clientHeight;
    std::span<const ControlDesign> controls;
};

const FormDesign& mainWindowDesign();
const FormDesign& fileNameDialogDesign();

} // namespace kelvane::layout
