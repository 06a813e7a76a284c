#pragma once

#include <QString>

#include <memory>
#include <thread>

class QApplication;
class MainWindow;
class CompletionDialog;

namespace sf {

// Qt aborts when it cannot reach a display; this tells beforehand. True when
// DISPLAY or WAYLAND_DISPLAY is set, or QT_QPA_PLATFORM chooses a platform.
bool displayConfigured();

// The one line said on standard error when displayConfigured() is false.
QString noDisplayMessage(const QString &programName);

// While the QApplication is built: Qt ends the process with abort() and a
// core dump when the display that DISPLAY or WAYLAND_DISPLAY names cannot be
// opened. The guard turns that into one line on standard error and exit
// status 1; other messages of that moment are held and passed on once the
// application exists.
class PlatformStartGuard {
public:
    explicit PlatformStartGuard(const QString &programName);
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard &) = delete;
    PlatformStartGuard &operator=(const PlatformStartGuard &) = delete;
};

// Reads the system's font configuration (some forty files of XML, a third
// of the processor time up to the first frame) on a thread of its own from
// construction, while the QApplication opens the display; wait() returns
// once it is read. It must be waited for before the first text is measured,
// and it is at the latest when it goes out of scope.
class FontConfigReader {
public:
    FontConfigReader();
    ~FontConfigReader();
    FontConfigReader(const FontConfigReader &) = delete;
    FontConfigReader &operator=(const FontConfigReader &) = delete;
    void wait();

private:
    std::thread m_thread;
};

// Application-wide settings made once before any window: the title (from the
// executable's path) and the icon, drawn without text, so that it needs no
// font. The main window takes the decimal separator from the user's locale
// when it is built.
void initApplication(QApplication &app, const QString &executablePath);

// The program's two windows, in the order they are created: Form1, the main
// window, then FinishForm, hidden. FinishForm is a child of Form1 (so it
// stays in front of it) and is always destroyed first.
struct Windows {
    std::unique_ptr<MainWindow> form1;
    std::unique_ptr<CompletionDialog> finishForm;
    Windows();
    ~Windows();
    Windows(Windows &&) noexcept;
    Windows &operator=(Windows &&other) noexcept;
};
Windows createWindows();

// Shows the main window centred on the screen with the focus on Edit1.
void showMainWindow(MainWindow &form1);

// A case file given as the program's only argument (QApplication::arguments(),
// the program first) is opened as Ctrl+O would; anything else is ignored.
void openCaseArgument(MainWindow &form1, const QStringList &arguments);

} // namespace sf
