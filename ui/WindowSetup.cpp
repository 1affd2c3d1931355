#include "ui/WindowSetup.h"

#include "base/AppInfo.h"
#include "base/Failure.h"
#include "base/ProgramFiles.h"
#include "base/Steps.h"
#include "ui/PointerRules.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

// Resources of a static library are registered by hand, outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

void useButtonFace(QWidget& widget, const QColor& face)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, face);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

QRect scaled(const QRect& rect, double factor)
{
    return QRect(std::lround(rect.x() * factor), std::lround(rect.y() * factor),
                 std::lround(rect.width() * factor), std::lround(rect.height() * factor));
}

// The caption a control must show whole, or empty when it has none.
QString captionOf(const QWidget& widget)
{
    if (auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    return {};
}

// A push button's size hint has a style minimum width; what matters is that its caption fits.
bool captionFits(const QWidget& widget)
{
    if (auto* button = qobject_cast<const QPushButton*>(&widget)) {
        const QFontMetrics metrics(button->font());
        return metrics.horizontalAdvance(button->text()) + 8 <= button->width() &&
               metrics.height() <= button->height();
    }
    return widget.sizeHint().width() <= widget.width() && widget.sizeHint().height() <= widget.height() + 4;
}

} // namespace

void SetButtonFaceColors(QWidget& window)
{
    const QColor face = QApplication::palette().color(QPalette::Button);
    useButtonFace(window, face);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            useButtonFace(*child, face);
    }
}

namespace WindowSetup {

QIcon programIcon()
{
    static const bool registered = (registerResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/ferrandine/ferrandine.png"));
}

QString caption(const QString& name)
{
    return name + QStringLiteral(" - ") + AppInfo::productTitle();
}

QCursor loadHandCursor(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(1, path + QStringLiteral(": ") + file.errorString());
    const QByteArray bytes = file.readAll();
    // A cursor file opens like an icon file, with type 2; its first directory entry holds the hot
    // spot where an icon holds planes and bit depth: bytes 10-11 (x) and 12-13 (y), little-endian.
    auto word = [&](int at) {
        return static_cast<quint8>(bytes[at]) | static_cast<quint8>(bytes[at + 1]) << 8;
    };
    if (bytes.size() < 22 || word(0) != 0 || word(2) != 2 || word(4) < 1)
        throw Failure(1, path + QStringLiteral(": not a cursor file"));
    QImageReader reader(&file, "cur");
    file.seek(0);
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(1, path + QStringLiteral(": the cursor image cannot be read (") + reader.errorString() +
                             QLatin1Char(')'));
    return QCursor(QPixmap::fromImage(image), word(10), word(12));
}

void setUpWindow(Steps& steps, QWidget& window, const QString& name, PointerRules& pointer,
                 StepNumbers numbers)
{
    steps.run(numbers.colors, [&] { SetButtonFaceColors(window); });
    steps.run(numbers.icon, [&] { window.setWindowIcon(programIcon()); });
    if (numbers.caption != 0)
        steps.run(numbers.caption, [&] { window.setWindowTitle(caption(name)); });
    const QString cursorFile = ProgramFiles::inProgramFolder(ProgramFiles::handCursorName());
    if (steps.test(numbers.cursorTest, [&] { return FileExists(cursorFile); }))
        steps.run(numbers.cursorLoad, [&] { pointer.setHandCursor(loadHandCursor(cursorFile)); });
}

void scaleToScreen(QWidget& window)
{
    const double factor = window.logicalDpiY() / 96.0;
    if (std::abs(factor - 1.0) > 0.01) {
        for (QWidget* child : window.findChildren<QWidget*>())
            child->setGeometry(scaled(child->geometry(), factor));
    }
    window.setFixedSize(scaled(QRect(QPoint(), window.size()), factor).size());
}

void enterPressesButtons(QWidget& window)
{
    for (QPushButton* button : window.findChildren<QPushButton*>())
        button->setAutoDefault(true);
}

bool focusComesFromUser(const QEvent& event)
{
    if (event.type() != QEvent::FocusIn)
        return false;
    switch (static_cast<const QFocusEvent&>(event).reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::MouseFocusReason:
    case Qt::ShortcutFocusReason:
        return true;
    default:
        return false;
    }
}

void fitCaptions(QWidget& window)
{
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (captionOf(*child).isEmpty() || qobject_cast<QGroupBox*>(child))
            continue;
        QFont font = child->font();
        while (!captionFits(*child) && font.pointSizeF() > 6.0) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
            child->setFont(font);
        }
    }
}

} // namespace WindowSetup
