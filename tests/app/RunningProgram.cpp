#include "RunningProgram.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include <X11/Xlib.h>

extern char** environ;

namespace kelvara::testing {

namespace {

// Windows go away while they are looked at; such errors mean nothing here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

bool BelongsTo(Display* display, Window window, pid_t pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display, window, pidAtom, 0, 1, False, AnyPropertyType, &type, &format, &count,
                                         &remaining, &data) == Success;
    const bool match = read && data != nullptr && format == 32 && count == 1 &&
                       *reinterpret_cast<const long*>(data) == static_cast<long>(pid);
    if (data != nullptr) XFree(data);
    return match;
}

bool IsShown(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

void SendDeleteWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
}

// Without a window manager, top-level windows are the root window's
// children. False while the program shows none yet.
bool AskWindowsToClose(Display* display, pid_t pid) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, XDefaultRootWindow(display), &root, &parent, &children, &count) == 0) return false;
    bool asked = false;
    for (unsigned int i = 0; i < count; ++i) {
        if (IsShown(display, children[i]) && BelongsTo(display, children[i], pid)) {
            SendDeleteWindow(display, children[i]);
            asked = true;
        }
    }
    if (children != nullptr) XFree(children);
    XSync(display, False);
    return asked;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
}

RunningProgram::~RunningProgram() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

bool RunningProgram::Close(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return false;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    const auto previousHandler = XSetErrorHandler(IgnoreXError);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool asked = false, ended = false;
    while (!ended && std::chrono::steady_clock::now() < deadline) {
        if (!asked) asked = AskWindowsToClose(display, pid_);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
    }
    XSetErrorHandler(previousHandler);
    XCloseDisplay(display);
    if (ended) pid_ = -1;
    return ended;
}

}  // namespace kelvara::testing
