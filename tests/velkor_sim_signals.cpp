// velkor-sim on a terminal: a stop signal from the terminal or from kill(1)
// reaches the program once, and a program's crash leaves no core of
// velkor-sim's own.
// Usage: velkor_sim_signals terminal VELKOR_SIM SIGNAL_COUNTER
//        velkor_sim_signals crash VELKOR_SIM
// Exits 1 on a failure, 77 when this system writes no core that the crash
// case could see.
#include "process_state.h"
#include "terminal_session.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSkipped = 77;

int failures = 0;

void expect(bool holds, const std::string &failure)
{
    if (holds)
        return;
    std::cout << "FAIL: " << failure << "\n";
    ++failures;
}

std::vector<std::string> linesOf(const fs::path &file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// What the terminal cases run, and where.
struct Setting {
    std::string sim;
    std::string counter;
    fs::path folder;
};

// The program under velkor-sim, and the signals it took.
struct Counted {
    TerminalSession session;
    pid_t program = -1;
    fs::path log;

    std::vector<std::string> taken() const
    {
        const std::vector<std::string> lines = linesOf(log);
        return lines.empty() ? lines : std::vector<std::string>(lines.begin() + 1, lines.end());
    }
};

std::string joined(const std::vector<std::string> &words)
{
    std::string text;
    for (const std::string &word : words)
        text += " " + word;
    return words.empty() ? " nothing" : text;
}

Counted launch(const Setting &setting, const std::string &name, const std::vector<std::string> &options = {})
{
    Counted counted;
    counted.log = setting.folder / (name + ".log");
    std::vector<std::string> command = {setting.sim};
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(), {"--", setting.counter, counted.log});
    counted.session = startOnTerminal(command, setting.folder);
    return counted;
}

void awaitProgram(Counted &counted, const std::string &name)
{
    if (!eventually([&] { return !linesOf(counted.log).empty(); }))
        throw std::runtime_error(name + ": the program did not start");
    counted.program = std::stoi(linesOf(counted.log).front());
}

Counted start(const Setting &setting, const std::string &name)
{
    Counted counted = launch(setting, name);
    awaitProgram(counted, name);
    return counted;
}

void expectTakenOnce(const Counted &counted, const std::string &signal, const std::string &name)
{
    const bool settled = waitUntilSettled(counted.session.leader) && waitUntilSettled(counted.program);
    expect(settled, name + ": velkor-sim or the program did not settle");
    expect(counted.taken() == std::vector<std::string>{signal}, name + ": the program took" + joined(counted.taken()));
}

void end(Counted &counted, const std::string &name)
{
    kill(counted.program, SIGUSR1);
    int status = 0;
    waitpid(counted.session.leader, &status, 0);
    expect(WIFEXITED(status) && WEXITSTATUS(status) == 0, name + ": velkor-sim did not end as the program did");
    if (counted.session.master >= 0)
        close(counted.session.master);
}

void typeCtrlC(const Counted &counted, const std::string &name)
{
    expect(write(counted.session.master, "\x03", 1) == 1, name + ": cannot type Ctrl-C");
}

// The terminal sends SIGINT to velkor-sim and the program alike. velkor-sim,
// stopped, takes its own only once the program has handled its: a second one
// passed on then is counted apart, not folded into the first while pending,
// as it would be when both came at once.
void ctrlC(const Setting &setting)
{
    Counted counted = start(setting, "Ctrl-C");
    const pid_t launcher = counted.session.leader;
    int status = 0;
    kill(launcher, SIGSTOP);
    waitpid(launcher, &status, WUNTRACED);
    typeCtrlC(counted, "Ctrl-C");
    expect(eventually([&] { return !counted.taken().empty(); }), "Ctrl-C: the program took nothing");
    kill(launcher, SIGCONT);
    expectTakenOnce(counted, "INT", "Ctrl-C");
    end(counted, "Ctrl-C");
}

// No program is there to take it yet: velkor-sim holds it while it waits for
// a reader of its trace, and passes it on as the program starts, before the
// program has a handler; both end as by Ctrl-C, the testbed removed.
void ctrlCDuringSetUp(const Setting &setting)
{
    const std::string name = "Ctrl-C during set-up";
    const fs::path trace = setting.folder / "trace";
    mkfifo(trace.c_str(), 0600);
    // velkor-sim makes its testbed here once it holds the stop signals. Its
    // blocked set tells less: the umockdev preload blocks every signal for a
    // moment around each call it wraps, before velkor-sim holds any.
    const fs::path testbeds = setting.folder / "set-up testbeds";
    fs::create_directory(testbeds);
    const char *const tmpdir = std::getenv("TMPDIR");
    const std::string tmpdirBefore = tmpdir ? tmpdir : "";
    setenv("TMPDIR", testbeds.c_str(), 1);
    Counted counted = launch(setting, name, {"--trace", trace});
    if (tmpdir)
        setenv("TMPDIR", tmpdirBefore.c_str(), 1);
    else
        unsetenv("TMPDIR");
    const pid_t launcher = counted.session.leader;
    std::error_code unreadable;
    const bool settingUp = eventually([&] { return !fs::is_empty(testbeds, unreadable); });
    expect(settingUp, name + ": velkor-sim made no testbed");
    expect(includes(stateOf(launcher).blocked, SIGINT), name + ": velkor-sim does not hold SIGINT");
    typeCtrlC(counted, name);
    expect(eventually([&] { return includes(stateOf(launcher).pending, SIGINT); }),
           name + ": the Ctrl-C did not reach velkor-sim");
    // Not waiting for a writer: were velkor-sim gone, that would be for ever.
    const int reader = open(trace.c_str(), O_RDONLY | O_NONBLOCK);
    int status = 0;
    const bool ended = eventually([&] { return waitpid(launcher, &status, WNOHANG) == launcher; });
    close(reader);
    close(counted.session.master);
    counted.session.master = -1;
    expect(ended && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT, name + ": the program ran on");
    if (!ended) {
        awaitProgram(counted, name);
        end(counted, name);
    }
    // One left behind: velkor-sim itself died of the Ctrl-C.
    expect(fs::is_empty(testbeds, unreadable), name + ": velkor-sim left its testbed");
}

void killToVelkorSim(const Setting &setting)
{
    Counted counted = start(setting, "kill -INT");
    kill(counted.session.leader, SIGINT);
    expectTakenOnce(counted, "INT", "kill -INT");
    end(counted, "kill -INT");
}

// velkor-sim leads the terminal's session here, and the kernel sends the
// hang-up to the session leader alone.
void hangUp(const Setting &setting)
{
    Counted counted = start(setting, "hang-up");
    close(counted.session.master);
    counted.session.master = -1;
    expectTakenOnce(counted, "HUP", "hang-up");
    end(counted, "hang-up");
}

std::string corePattern()
{
    std::ifstream in("/proc/sys/kernel/core_pattern");
    std::string pattern;
    std::getline(in, pattern);
    return pattern;
}

// A crash here must be able to leave a core, or the case could not fail. The
// sanitizers' handler would report the crash rather than die of it.
bool crashesDumpCore(const fs::path &folder)
{
    rlimit limit {};
    getrlimit(RLIMIT_CORE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_CORE, &limit);
    fs::create_directory(folder);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) == 0) {
            std::signal(SIGSEGV, SIG_DFL);
            raise(SIGSEGV);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WCOREDUMP(status);
}

// A core piped to a handler lands in no folder, but the wait status still
// says whether one was dumped; such a handler is not handed a test crash.
int crash(const std::string &sim, const fs::path &folder)
{
    const bool piped = corePattern().rfind('|', 0) == 0;
    if (!piped && !crashesDumpCore(folder / "control")) {
        std::cout << "SKIP: a crash here dumps no core (core_pattern " << corePattern() << ")\n";
        return kSkipped;
    }
    const fs::path pidFile = folder / "pid";
    const fs::path run = folder / "run";
    fs::create_directory(run);
    // The program leaves no core of its own; any core is velkor-sim's.
    const TerminalSession session = startOnTerminal(
        {sim, "--", "/bin/sh", "-c", "ulimit -c 0 && echo $$ >\"$0.new\" && mv \"$0.new\" \"$0\" && exec sleep 60",
         pidFile},
        run);
    if (eventually([&] { return fs::exists(pidFile); }))
        kill(std::stoi(linesOf(pidFile).front()), SIGSEGV);
    int status = 0;
    waitpid(session.leader, &status, 0);
    close(session.master);
    const int shown = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    expect(shown == 128 + SIGSEGV, "SIGSEGV: exit status " + std::to_string(shown));
    expect(!(WIFSIGNALED(status) && WCOREDUMP(status)), "SIGSEGV: velkor-sim dumped core");
    for (const fs::directory_entry &entry : fs::directory_iterator(run))
        expect(false, "SIGSEGV: velkor-sim left " + entry.path().filename().string());
    return failures ? 1 : 0;
}

int terminal(const Setting &setting)
{
    ctrlC(setting);
    ctrlCDuringSetUp(setting);
    killToVelkorSim(setting);
    hangUp(setting);
    return failures ? 1 : 0;
}

// The testbeds are made in it, where one left behind goes with it.
fs::path makeFolder()
{
    std::string name = (fs::temp_directory_path() / "velkor_sim_signals.XXXXXX").string();
    if (!mkdtemp(name.data()))
        throw std::runtime_error("mkdtemp: cannot make a folder");
    fs::create_directory(fs::path(name) / "tmp");
    setenv("TMPDIR", (fs::path(name) / "tmp").c_str(), 1);
    return name;
}

int run(int argc, char **argv, const fs::path &folder)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "terminal" && argc == 4)
        return terminal({argv[2], argv[3], folder});
    if (mode == "crash" && argc == 3)
        return crash(argv[2], folder);
    std::cerr << "Usage: velkor_sim_signals terminal VELKOR_SIM SIGNAL_COUNTER\n"
                 "       velkor_sim_signals crash VELKOR_SIM\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    const fs::path folder = makeFolder();
    int status = 1;
    try {
        status = run(argc, argv, folder);
    } catch (const std::exception &error) {
        std::cout << "FAIL: " << error.what() << "\n";
    }
    fs::remove_all(folder);
    return status;
}
