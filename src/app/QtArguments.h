#pragma once

// The command line as Qt sees it: the program's name alone. Qt acts on its
// own options wherever they stand (-reverse lays every window out right to
// left, -style and -stylesheet restyle it, -platform and -display move it),
// and a render's path or any later argument may look like one. The program
// takes none of them: the platform and the display come from the
// environment (QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY).
class QtArguments {
public:
    QtArguments(int argc, char** argv)
        : m_argc(argc > 0 ? 1 : 0), m_argv{m_argc ? argv[0] : nullptr, nullptr}
    {
    }
    QtArguments(const QtArguments&) = delete;
    QtArguments& operator=(const QtArguments&) = delete;

    // QApplication keeps both, so this object must outlive it.
    int& argc() { return m_argc; }
    char** argv() { return m_argv; }

private:
    int m_argc;
    char* m_argv[2];
};
