// The console on a pseudo-terminal, as a user at a terminal meets it: each test
// runs the console in a child process whose terminal this test plays.
#include "base/TextEncoding.h"
#include "console/ConsoleForms.h"
#include "console/TypedPaths.h"
#include "console/terminal/TerminalConsole.h"
#include "support/PipedConsoleCases.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <functional>

namespace zorvek {
namespace {

using Body = std::function<void(TerminalConsole&)>;
using Clock = std::chrono::steady_clock;

constexpr auto patience = std::chrono::seconds(10);

struct Environment {
    const char* term = "xterm";
    const char* noColour = nullptr;
    bool jobControl = false;
};

termios modeOf(int fd) {
    termios mode{};
    tcgetattr(fd, &mode);
    return mode;
}

bool sameMode(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag && a.c_cc[VMIN] == b.c_cc[VMIN] &&
           a.c_cc[VTIME] == b.c_cc[VTIME];
}

// The program: the pseudo-terminal is its standard input and output.
[[noreturn]] void runProgram(const Body& body, const Environment& environment, int slave) {
    dup2(slave, STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    close(slave);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    setenv("TERM", environment.term, 1);
    if (environment.noColour != nullptr) {
        setenv("NO_COLOR", environment.noColour, 1);
    } else {
        unsetenv("NO_COLOR");
    }
    int status = 0;
    try {
        TerminalConsole console;
        body(console);
    } catch (...) {
        status = 3;
    }
    _exit(status);
}

[[noreturn]] void runAsSessionLeader(const Body& body, const Environment& environment, int slave) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    runProgram(body, environment, slave);
}

// A shell's part in job control: the program runs in the foreground in a process
// group of its own, as Ctrl-Z stops only a group that a shell can continue (the
// kernel drops stop signals to an orphaned group). The shell reports each stop
// and continues the program when told to.
[[noreturn]] void runUnderShell(const Body& body, const Environment& environment, int slave, int stopped, int resume) {
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    signal(SIGTTOU, SIG_IGN);  // the shell hands the terminal over from outside the foreground
    const pid_t program = fork();
    if (program == 0) {
        setpgid(0, 0);
        tcsetpgrp(slave, getpid());
        signal(SIGTTOU, SIG_DFL);
        runProgram(body, environment, slave);
    }
    setpgid(program, program);
    tcsetpgrp(slave, program);
    for (;;) {
        int status = 0;
        if (waitpid(program, &status, WUNTRACED) != program) {
            _exit(4);
        }
        if (!WIFSTOPPED(status)) {
            _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        }
        char command = 0;
        if (write(stopped, "S", 1) != 1 || read(resume, &command, 1) != 1) {
            _exit(5);
        }
        kill(program, SIGCONT);
    }
}

// Plays the user at the terminal: waits for what the program shows, types keys.
class TerminalSession {
public:
    explicit TerminalSession(const Body& body, const Environment& environment = {}) {
        winsize size{24, 100, 0, 0};
        EXPECT_EQ(openpty(&master_, &slave_, nullptr, nullptr, &size), 0);
        termios mode = modeOf(slave_);
        mode.c_oflag &= ~static_cast<tcflag_t>(ONLCR);  // the transcript keeps "\n" as written
        tcsetattr(slave_, TCSANOW, &mode);
        initialMode_ = modeOf(slave_);
        EXPECT_EQ(pipe(stopped_), 0);
        EXPECT_EQ(pipe(resume_), 0);
        pid_ = fork();
        if (pid_ == 0) {
            close(master_);
            if (environment.jobControl) {
                runUnderShell(body, environment, slave_, stopped_[1], resume_[0]);
            }
            runAsSessionLeader(body, environment, slave_);
        }
    }

    ~TerminalSession() {
        if (pid_ > 0 && !ended_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(master_);
        close(slave_);
        for (const int fd : {stopped_[0], stopped_[1], resume_[0], resume_[1]}) {
            close(fd);
        }
    }

    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Waits until the text appears after what earlier waits found.
    bool waitForText(std::string_view text) {
        return waitUntil([&] {
            const std::size_t found = transcript_.find(text, searchFrom_);
            if (found == std::string::npos) {
                return false;
            }
            searchFrom_ = found + text.size();
            return true;
        });
    }

    // Waits until the program reads keys one by one (itself or through the line editor).
    bool waitForKeyMode() {
        return waitUntil([&] { return (modeOf(slave_).c_lflag & ICANON) == 0; });
    }

    void type(std::string_view keys) {
        EXPECT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    void sendSignal(int signal) { kill(pid_, signal); }

    // With job control: waits until the shell reports the program stopped.
    bool waitUntilStopped() {
        return waitUntil([&] {
            pollfd request{stopped_[0], POLLIN, 0};
            char report = 0;
            return poll(&request, 1, 0) == 1 && read(stopped_[0], &report, 1) == 1;
        });
    }

    void continueProgram() { EXPECT_EQ(write(resume_[1], "C", 1), 1); }

    // Waits for the program's end; its wait status, or -1 when it does not end.
    int finish() {
        int status = -1;
        const bool ended = waitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        ended_ = ended;
        while (readAvailable(50)) {
        }
        return ended ? status : -1;
    }

    const std::string& transcript() const { return transcript_; }
    termios modeNow() const { return modeOf(slave_); }
    const termios& initialMode() const { return initialMode_; }

private:
    bool readAvailable(int milliseconds) {
        pollfd request{master_, POLLIN, 0};
        if (poll(&request, 1, milliseconds) <= 0) {
            return false;
        }
        char block[4096];
        const ssize_t count = read(master_, block, sizeof block);
        if (count <= 0) {
            return false;
        }
        transcript_.append(block, static_cast<std::size_t>(count));
        return true;
    }

    bool waitUntil(const std::function<bool()>& condition) {
        const auto deadline = Clock::now() + patience;
        while (Clock::now() < deadline) {
            readAvailable(5);
            if (condition()) {
                return true;
            }
        }
        ADD_FAILURE() << "waited in vain; the terminal shows:\n" << transcript_;
        return false;
    }

    int master_ = -1;
    int slave_ = -1;
    pid_t pid_ = -1;
    int stopped_[2] = {-1, -1};
    int resume_[2] = {-1, -1};
    bool ended_ = false;
    termios initialMode_{};
    std::string transcript_;
    std::size_t searchFrom_ = 0;
};

bool exitedNormally(int status) {
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// --- Colours and title -------------------------------------------------------

struct ColourCase {
    const char* name;
    Environment environment;
    std::string output;
};

void PrintTo(const ColourCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalColours : public testing::TestWithParam<ColourCase> {};

TEST_P(TerminalColours, followTheEnvironment) {
    TerminalSession session(test::writeEveryColour, GetParam().environment);
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_EQ(session.transcript(), GetParam().output);
}

const std::string colouredOutput = "\x1b]0;ZORVEK\x07\x1b[96m見出し\n\x1b[0m\x1b[91me\x1b[93mw\x1b[97mi\x1b[0m\n";

INSTANTIATE_TEST_SUITE_P(TerminalConsole, TerminalColours,
                         testing::Values(ColourCase{"coloured", {"xterm", nullptr}, colouredOutput},
                                         ColourCase{"emptyNoColorIgnored", {"xterm", ""}, colouredOutput},
                                         ColourCase{"noColor", {"xterm", "1"}, "\x1b]0;ZORVEK\x07見出し\newi\n"},
                                         ColourCase{"dumbTerminal", {"dumb", nullptr}, "見出し\newi\n"}),
                         [](const testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

// --- Single keys ---------------------------------------------------------------

// Reads keys after numbered prompts; reports each key and whether the terminal's
// mode was the same after the read as before it.
Body readKeys(int count, bool echo) {
    return [=](TerminalConsole& console) {
        for (int i = 1; i <= count; ++i) {
            console.write(std::string("K").append(std::to_string(i)).append("> "));
            const termios before = modeOf(STDIN_FILENO);
            const std::optional<int> key = console.readKey(echo);
            const bool restored = sameMode(before, modeOf(STDIN_FILENO));
            printLine(console,
                      std::string(" =").append(key ? std::to_string(*key) : "end").append(restored ? "" : " changed"));
        }
    };
}

struct KeyCase {
    const char* name;
    std::vector<std::string> typed;  // typed at each prompt
    bool echo;
    std::string transcript;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalKeys : public testing::TestWithParam<KeyCase> {};

TEST_P(TerminalKeys, areReadOneByOneWithoutEnter) {
    const KeyCase& c = GetParam();
    TerminalSession session(readKeys(static_cast<int>(c.typed.size()), c.echo));
    for (std::size_t i = 0; i < c.typed.size(); ++i) {
        ASSERT_TRUE(session.waitForText(std::string("K").append(std::to_string(i + 1)).append("> ")));
        if (!c.typed[i].empty()) {  // otherwise the key was typed ahead
            ASSERT_TRUE(session.waitForKeyMode());
            session.type(c.typed[i]);
        }
    }
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_EQ(session.transcript(), c.transcript);
    EXPECT_TRUE(sameMode(session.modeNow(), session.initialMode()));
}

// Every escape sequence is followed by "b" in the same write: the sequence is one
// key, and the "b" after it is the next.
KeyCase sequenceCase(const char* name, const std::string& sequence) {
    return {name, {sequence + "b", ""}, true, "K1>  =-2\nK2> b =98\n"};
}

INSTANTIATE_TEST_SUITE_P(
    TerminalConsole, TerminalKeys,
    testing::Values(KeyCase{"letter", {"a"}, true, "K1> a =97\n"},
                    KeyCase{"letterWithoutEcho", {"a"}, false, "K1>  =97\n"},
                    KeyCase{"enter", {"\r"}, true, "K1>  =13\n"},
                    KeyCase{"twoKeysTypedAhead", {"xy", ""}, true, "K1> x =120\nK2> y =121\n"},
                    KeyCase{"japanese", {"日"}, true, "K1> 日 =26085\n"},
                    KeyCase{"accented", {"\xc3\xa9"}, true, "K1> \xc3\xa9 =233\n"},
                    KeyCase{"escapeAlone", {"\x1b", "b"}, true, "K1>  =27\nK2> b =98\n"},
                    KeyCase{"controlDIsTheEnd", {"\x04"}, true, "K1>  =end\n"}, sequenceCase("arrowUp", "\x1b[A"),
                    sequenceCase("arrowApplicationMode", "\x1bOA"), sequenceCase("functionKey1", "\x1bOP"),
                    sequenceCase("functionKey5", "\x1b[15~"), sequenceCase("controlArrow", "\x1b[1;5C"),
                    sequenceCase("linuxConsoleF1", "\x1b[[A"), sequenceCase("altLetter", "\x1bx"),
                    sequenceCase("altArrow", "\x1b\x1b[A")),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

// --- Typed lines -------------------------------------------------------------------

Body readOneLine() {
    return [](TerminalConsole& console) {
        console.write("L> ");
        const std::optional<std::string> line = console.readLine();
        printLine(console, std::string("[").append(line.value_or("end")).append("]"));
    };
}

struct LineCase {
    const char* name;
    std::string typed;
    std::string transcript;
};

void PrintTo(const LineCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalLines : public testing::TestWithParam<LineCase> {};

TEST_P(TerminalLines, useTheTerminalsOwnEditingAndEcho) {
    TerminalSession session(readOneLine());
    ASSERT_TRUE(session.waitForText("L> "));
    session.type(GetParam().typed);
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_EQ(session.transcript(), GetParam().transcript);
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, TerminalLines,
                         testing::Values(LineCase{"word", "hello\r", "L> hello\n[hello]\n"},
                                         LineCase{"erased",
                                                  "ab\x7f"
                                                  "c\r",
                                                  "L> ab\b \bc\n[ac]\n"},
                                         LineCase{"controlDIsTheEnd", "\x04", "L> [end]\n"}),
                         [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

// --- Signals ---------------------------------------------------------------------

struct SignalCase {
    const char* name;
    std::string typed;  // a key that raises the signal, or nothing
    int sent;           // a signal sent from outside, or 0
    int expected;
};

void PrintTo(const SignalCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalSignals : public testing::TestWithParam<SignalCase> {};

TEST_P(TerminalSignals, leaveTheTerminalAsItWas) {
    const SignalCase& c = GetParam();
    TerminalSession session([](TerminalConsole& console) {
        console.setColour(Colour::Input);
        console.write("K1> ");
        console.readKey(true);
        printLine(console, "not ended");
    });
    ASSERT_TRUE(session.waitForText("K1> "));
    ASSERT_TRUE(session.waitForKeyMode());
    if (c.sent != 0) {
        session.sendSignal(c.sent);
    } else {
        session.type(c.typed);
    }
    const int status = session.finish();
    ASSERT_NE(status, -1);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), c.expected);
    EXPECT_TRUE(sameMode(session.modeNow(), session.initialMode()));
    EXPECT_EQ(session.transcript(), "\x1b[97mK1> \x1b[0m\n");
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, TerminalSignals,
                         testing::Values(SignalCase{"controlC", "\x03", 0, SIGINT},
                                         SignalCase{"controlBackslash", "\x1c", 0, SIGQUIT},
                                         SignalCase{"terminate", "", SIGTERM, SIGTERM},
                                         SignalCase{"hangUp", "", SIGHUP, SIGHUP}),
                         [](const testing::TestParamInfo<SignalCase>& info) { return info.param.name; });

TEST(TerminalConsolePty, controlZStopsWithTheTerminalRestoredAndContinuesReadingKeys) {
    TerminalSession session(
        [](TerminalConsole& console) {
            console.setColour(Colour::Input);
            console.write("K1> ");
            const std::optional<int> key = console.readKey(true);
            console.setDefaultColour();
            printLine(console, std::string(" =").append(std::to_string(key.value_or(0))));
        },
        Environment{.jobControl = true});
    ASSERT_TRUE(session.waitForText("K1> "));
    ASSERT_TRUE(session.waitForKeyMode());
    session.type("\x1a");
    ASSERT_TRUE(session.waitUntilStopped());
    EXPECT_TRUE(sameMode(session.modeNow(), session.initialMode()));
    session.continueProgram();
    ASSERT_TRUE(session.waitForKeyMode());
    session.type("b");
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_EQ(session.transcript(), "\x1b[97mK1> \x1b[0m\x1b[97mb\x1b[0m =98\n");
}

// --- Typed paths with the line editor ----------------------------------------------

std::string answerText(const std::optional<std::filesystem::path>& path) {
    return std::string("[").append(path ? pathToUtf8(*path) : "cancel").append("]");
}

Body openPath() {
    return [](TerminalConsole& console) {
        console.write(openPathPrompt);
        printLine(console, answerText(console.askOpenPath(dffFilter, openPathPrompt)));
    };
}

Body savePath(const std::filesystem::path& source) {
    return [source](TerminalConsole& console) {
        console.write(savePathPrompt);
        printLine(console, answerText(console.askSavePath(pmxFilter, "pmx", source)));
    };
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

struct OpenCase {
    const char* name;
    std::vector<std::string> files;
    std::string typed;  // after the folder
    std::string chosen;
};

void PrintTo(const OpenCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalOpenPath : public testing::TestWithParam<OpenCase> {};

TEST_P(TerminalOpenPath, isEditedAndCompleted) {
    const OpenCase& c = GetParam();
    const test::TempDir dir;
    for (const std::string& file : c.files) {
        std::filesystem::create_directories((dir / file).parent_path());
        dir.write(file, "x");
    }
    TerminalSession session(openPath());
    ASSERT_TRUE(session.waitForKeyMode());
    session.type(pathToUtf8(dir.path()) + c.typed);
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_NE(session.transcript().find(std::string("[").append(pathToUtf8(dir / c.chosen)).append("]\n")),
              std::string::npos)
        << session.transcript();
    EXPECT_EQ(occurrences(session.transcript(), "変換元ファイルを選択してください>"), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    TerminalConsole, TerminalOpenPath,
    testing::Values(OpenCase{"typedInFull", {"model.dff"}, "/model.dff\r", "model.dff"},
                    OpenCase{"uniqueName", {"uniquename.dff", "other.dff"}, "/uniq\t\r", "uniquename.dff"},
                    OpenCase{"nameWithBlank", {"a b.dff"}, "/a\t\r", "a b.dff"},
                    OpenCase{"japaneseName", {"日本語.dff"}, "/日\t\r", "日本語.dff"},
                    OpenCase{"intoFolder", {"sub/inner.dff"}, "/su\ti\t\r", "sub/inner.dff"},
                    OpenCase{"backspace",
                             {"abc.dff"},
                             "/abx\x7f"
                             "c.dff\r",
                             "abc.dff"},
                    OpenCase{"cursorLeft", {"abc.dff"}, "/bc.dff\x1b[D\x1b[D\x1b[D\x1b[D\x1b[D\x1b[Da\r", "abc.dff"}),
    [](const testing::TestParamInfo<OpenCase>& info) { return info.param.name; });

TEST(TerminalConsolePty, controlDInTheOpenPromptCancels) {
    TerminalSession session(openPath());
    ASSERT_TRUE(session.waitForKeyMode());
    session.type("\x04");
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_NE(session.transcript().find("[cancel]"), std::string::npos);
    EXPECT_TRUE(sameMode(session.modeNow(), session.initialMode()));
}

TEST(TerminalConsolePty, missingFileAsksAgainWithThePromptDrawnOnce) {
    const test::TempDir dir;
    dir.write("model.dff", "x");
    const std::string folder = pathToUtf8(dir.path());
    TerminalSession session(openPath());
    ASSERT_TRUE(session.waitForKeyMode());
    session.type(folder + "/missing.dff\r");
    ASSERT_TRUE(session.waitForText("ファイルが見つかりません: " + folder + "/missing.dff\n"));
    ASSERT_TRUE(session.waitForText("変換元ファイルを選択してください>"));
    ASSERT_TRUE(session.waitForKeyMode());
    session.type(folder + "/model.dff\r");
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_NE(session.transcript().find("[" + folder + "/model.dff]"), std::string::npos);
    EXPECT_EQ(occurrences(session.transcript(), "変換元ファイルを選択してください>"), 2u);
}

struct SaveCase {
    const char* name;
    std::string typed;
    std::string chosen;
};

void PrintTo(const SaveCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminalSavePath : public testing::TestWithParam<SaveCase> {};

TEST_P(TerminalSavePath, offersTheSourceNameInTheLine) {
    const test::TempDir dir;
    TerminalSession session(savePath(dir / "hero.dff"));
    ASSERT_TRUE(session.waitForKeyMode());
    session.type(GetParam().typed);
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_NE(session.transcript().find(std::string("[").append(pathToUtf8(dir / GetParam().chosen)).append("]")),
              std::string::npos)
        << session.transcript();
    EXPECT_EQ(occurrences(session.transcript(), "出力ファイル名を入力してください>"), 1u);
}

INSTANTIATE_TEST_SUITE_P(TerminalConsole, TerminalSavePath,
                         testing::Values(SaveCase{"acceptedAsOffered", "\r", "hero.pmx"},
                                         SaveCase{"nameEdited", "\x7f\x7f\x7f\x7fzero\r", "zero.pmx"},
                                         SaveCase{"extensionTyped", ".txt\r", "hero.txt"}),
                         [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST(TerminalConsolePty, declinedReplacementOffersTheChosenPathAgain) {
    const test::TempDir dir;
    dir.write("hero.pmx", "old");
    const std::string folder = pathToUtf8(dir.path());
    TerminalSession session(savePath(dir / "hero.dff"));
    ASSERT_TRUE(session.waitForKeyMode());
    session.type("\r");
    ASSERT_TRUE(session.waitForText(folder + "/hero.pmx は既に存在します。上書きしますか? (y/n)> "));
    session.type("n\r");
    ASSERT_TRUE(session.waitForText("出力ファイル名を入力してください>"));
    ASSERT_TRUE(session.waitForKeyMode());
    session.type(std::string(8, '\x7f') + "new\r");  // "hero.pmx" becomes "new"
    EXPECT_TRUE(exitedNormally(session.finish()));
    EXPECT_NE(session.transcript().find("[" + folder + "/new.pmx]"), std::string::npos) << session.transcript();
}

}  // namespace
}  // namespace zorvek
