#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

class PointerRules;
class QEvent;
class QWidget;
class Steps;

// What every window of the program shares: its colours, icon, caption, hand cursor and a layout
// given in 96-dpi pixels that follows the screen's resolution.

// Gives the window, and each of its option buttons, check boxes, frames and labels, the system
// colour for button faces as background. Other controls keep their colours.
void SetButtonFaceColors(QWidget& window);

namespace WindowSetup {

// The program's own icon.
QIcon programIcon();

// "<name> - Ferrandine".
QString caption(const QString& name);

// The hand cursor from HAND-M.CUR in the program folder. Throws Failure naming the file when it
// cannot be read as a cursor.
QCursor loadHandCursor(const QString& path);

// The step numbers of the set-up in one window's load handler; caption 0 keeps the caption.
struct StepNumbers
{
    int colors = 100;
    int icon = 102;
    int caption = 104;
    int cursorTest = 106;
    int cursorLoad = 108;
};

// The set-up every window but the main one runs at the start of its load: button-face colours,
// the program's icon, the caption "<name> - Ferrandine" (unless steps.caption is 0), and the hand
// cursor of HAND-M.CUR when the file exists.
void setUpWindow(Steps& steps, QWidget& window, const QString& name, PointerRules& pointer,
                 StepNumbers numbers = {});

// Moves and resizes every child widget from the 96-dpi pixels of its form to the screen's logical
// resolution, then makes the window fixed at its scaled size.
void scaleToScreen(QWidget& window);

// Makes sure no label, button, check box or option button cuts its caption: a caption wider than its
// control gets a smaller font, step by step, down to 6 points.
void fitCaptions(QWidget& window);

// Makes Enter press the push button that has the focus, in dialogs and in the main window alike.
void enterPressesButtons(QWidget& window);

// Whether a focus event brings the focus by the user's Tab, click or shortcut. A text box that selects
// its whole text on entry does so only then: not when its window merely becomes active again, where
// the next key would replace a stored value the user did not mean to touch.
bool focusComesFromUser(const QEvent& event);

} // namespace WindowSetup
