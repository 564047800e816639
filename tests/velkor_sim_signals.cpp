// velkor-sim on a terminal: a stop signal from the terminal or from kill(1)
// reaches the program once, and a program's crash leaves no core of
// velkor-sim's own. Exits 1 on a failure, 77 when this system writes no core
// that the crash case could see. Usage: velkor_sim_signals terminal|crash VELKOR_SIM
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string sim;
fs::path folder;
int failures = 0;

// `count LOG`, the program under velkor-sim in the terminal cases: it writes
// its pid to LOG once its handlers are in place, then a line for each SIGINT
// or SIGHUP it takes, and exits 0 on SIGUSR1, or dies of SIGALRM after a
// minute should no test be left to send it. Each signal is noted by its own
// handler call: a shell's trap would fold two that came close together.
int logFile = -1;
volatile sig_atomic_t ended = 0;

int count(const char *log)
{
    if ((logFile = open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644)) < 0)
        return 1;
    // Taken only while it waits, so that a signal finds it asleep or handled.
    sigset_t taken, waiting;
    sigemptyset(&taken);
    for (int signal : {SIGINT, SIGHUP, SIGUSR1})
        sigaddset(&taken, signal);
    sigprocmask(SIG_BLOCK, &taken, &waiting);
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = [](int signal) {
        if (write(logFile, signal == SIGINT ? "INT\n" : "HUP\n", 4) != 4)
            _exit(1);
    };
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    action.sa_handler = [](int) { ended = 1; };
    sigaction(SIGUSR1, &action, nullptr);
    alarm(60);
    dprintf(logFile, "%d\n", getpid());
    while (!ended)
        sigsuspend(&waiting);
    return 0;
}

void expect(bool holds, const std::string &failure)
{
    if (!holds && ++failures)
        std::cout << "FAIL: " << failure << "\n";
}

std::string textOf(const fs::path &file)
{
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Polls `condition` for up to 20 s; false if it never held.
template<typename Condition>
bool eventually(const Condition &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A field of the process's /proc status, of its main thread; empty when there
// is no such process.
std::string statusOf(pid_t pid, const std::string &key)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return {};
}

// Signal N is bit N - 1 of a set; pending ones were sent to the thread or to
// the process.
std::uint64_t signalsOf(pid_t pid, const std::string &set)
{
    const std::string field = statusOf(pid, set);
    return field.empty() ? 0 : std::stoull(field, nullptr, 16);
}
std::uint64_t pendingOf(pid_t pid) { return signalsOf(pid, "SigPnd") | signalsOf(pid, "ShdPnd"); }
constexpr std::uint64_t bit(int signal) { return std::uint64_t(1) << (signal - 1); }

// Asleep with no signal waiting: it has handled what it was sent, and sent on
// whatever its handlers send. False if it does not come to that, or has ended.
bool waitUntilSettled(pid_t pid)
{
    return eventually([pid] { return statusOf(pid, "State").find("S (sleeping)") != std::string::npos && !pendingOf(pid); });
}

struct TerminalSession {
    pid_t leader = -1;
    // What the user types is written here; closing it hangs the terminal up.
    int master = -1;
};

// `command` (its first word a path) in `folder`, as the leader of a new
// session whose controlling terminal is a fresh pseudo-terminal, as a terminal
// emulator runs its shell. The master is close-on-exec: one that the session
// held open itself would never hang up.
TerminalSession startOnTerminal(const std::vector<std::string> &command, const fs::path &folder)
{
    TerminalSession session;
    session.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (session.master < 0 || grantpt(session.master) != 0 || unlockpt(session.master) != 0
        || fcntl(session.master, F_SETFD, FD_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pseudo-terminal");
    const std::string terminalName = ptsname(session.master);
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    if ((session.leader = fork()) < 0)
        throw std::system_error(errno, std::generic_category(), "fork");
    if (session.leader > 0)
        return session;
    // Whatever the test was started with, such as a script's background job
    // that ignores SIGINT, stays out, as it does of a terminal emulator's shell.
    for (int signal = 1; signal < NSIG; ++signal)
        if (signal != SIGKILL && signal != SIGSTOP)
            std::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Taking the terminal as its controlling one makes its group the foreground one.
    const int terminal = setsid() < 0 ? -1 : open(terminalName.c_str(), O_RDWR);
    if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0 || chdir(folder.c_str()) != 0)
        _exit(126);
    for (int standard = 0; standard < 3; ++standard)
        dup2(terminal, standard);
    if (terminal > 2)
        close(terminal);
    execv(argv[0], argv.data());
    _exit(127);
}

// `count` under velkor-sim on a terminal: its log holds its pid, then the
// signals it took.
struct Counted {
    std::string name;
    fs::path log;
    TerminalSession session;
    pid_t program = -1;

    explicit Counted(const std::string &name, std::vector<std::string> options = {})
        : name(name), log(folder / (name + ".log"))
    {
        options.insert(options.begin(), sim);
        options.insert(options.end(), {"--", fs::read_symlink("/proc/self/exe"), "count", log});
        session = startOnTerminal(options, folder);
    }

    std::string taken() const
    {
        const std::string text = textOf(log);
        return text.find('\n') == std::string::npos ? "" : text.substr(text.find('\n') + 1);
    }

    void awaitProgram()
    {
        if (!eventually([&] { return textOf(log).find('\n') != std::string::npos; }))
            throw std::runtime_error(name + ": the program did not start");
        program = std::stoi(textOf(log));
    }

    void typeCtrlC() { expect(write(session.master, "\x03", 1) == 1, name + ": cannot type Ctrl-C"); }

    void hangUp() { close(std::exchange(session.master, -1)); }

    void end()
    {
        kill(program, SIGUSR1);
        int status = 0;
        waitpid(session.leader, &status, 0);
        expect(WIFEXITED(status) && WEXITSTATUS(status) == 0, name + ": velkor-sim did not end as the program did");
        if (session.master >= 0)
            close(session.master);
    }
};

// No program is there to take it yet: velkor-sim holds it while it waits for
// a reader of its trace, and passes it on as the program starts, before the
// program has a handler; both end as by Ctrl-C, the testbed removed.
void ctrlCDuringSetUp()
{
    const fs::path trace = folder / "trace", testbeds = folder / "set-up testbeds";
    mkfifo(trace.c_str(), 0600);
    // velkor-sim makes its testbed there once it holds the stop signals. Its
    // blocked set tells less: the umockdev preload blocks every signal for a
    // moment around each call it wraps, before velkor-sim holds any.
    fs::create_directory(testbeds);
    setenv("TMPDIR", testbeds.c_str(), 1);
    Counted counted("Ctrl-C during set-up", {"--trace", trace});
    setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    const std::string &name = counted.name;
    const pid_t launcher = counted.session.leader;
    std::error_code unreadable;
    expect(eventually([&] { return !fs::is_empty(testbeds, unreadable); }), name + ": velkor-sim made no testbed");
    expect(signalsOf(launcher, "SigBlk") & bit(SIGINT), name + ": velkor-sim does not hold SIGINT");
    counted.typeCtrlC();
    expect(eventually([&] { return pendingOf(launcher) & bit(SIGINT); }), name + ": the Ctrl-C did not reach velkor-sim");
    // Not waiting for a writer: were velkor-sim gone, that would be for ever.
    const int reader = open(trace.c_str(), O_RDONLY | O_NONBLOCK);
    int status = 0;
    const bool ended = eventually([&] { return waitpid(launcher, &status, WNOHANG) == launcher; });
    close(reader);
    counted.hangUp();
    // One that ran on dies of its alarm.
    expect(ended && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT, name + ": the program ran on");
    // Left behind when velkor-sim itself, not the program, died of the Ctrl-C.
    expect(fs::is_empty(testbeds, unreadable), name + ": velkor-sim left its testbed");
}

int terminal()
{
    const std::vector<std::tuple<std::string, std::string, void (*)(Counted &)>> cases{
        // The terminal sends SIGINT to velkor-sim and the program alike.
        // velkor-sim, stopped, takes its own only once the program has handled
        // its: a second one passed on then is counted apart, not folded into
        // the first while pending, as it would be when both came at once.
        {"Ctrl-C", "INT\n",
         [](Counted &counted) {
             int status = 0;
             kill(counted.session.leader, SIGSTOP);
             waitpid(counted.session.leader, &status, WUNTRACED);
             counted.typeCtrlC();
             expect(eventually([&] { return !counted.taken().empty(); }), "Ctrl-C: the program took nothing");
             kill(counted.session.leader, SIGCONT);
         }},
        {"kill -INT", "INT\n", [](Counted &counted) { kill(counted.session.leader, SIGINT); }},
        // velkor-sim leads the terminal's session here, and the kernel sends
        // the hang-up to the session leader alone.
        {"hang-up", "HUP\n", [](Counted &counted) { counted.hangUp(); }},
    };
    for (const auto &[name, signal, send] : cases) {
        Counted counted(name);
        counted.awaitProgram();
        send(counted);
        expect(waitUntilSettled(counted.session.leader) && waitUntilSettled(counted.program),
               name + ": velkor-sim or the program did not settle");
        expect(counted.taken() == signal, name + ": the program took: " + counted.taken());
        counted.end();
    }
    ctrlCDuringSetUp();
    return failures ? 1 : 0;
}

// A crash here must be able to leave a core, or the case could not fail. A
// core piped to a handler lands in no folder, but the wait status still says
// whether one was dumped, and such a handler is not handed a test crash. The
// sanitizers' handler would report the crash rather than die of it.
bool crashesDumpCore()
{
    std::string corePattern;
    std::getline(std::ifstream("/proc/sys/kernel/core_pattern"), corePattern);
    if (corePattern.rfind('|', 0) == 0)
        return true;
    const fs::path control = folder / "control";
    fs::create_directory(control);
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(control.c_str()) == 0) {
            std::signal(SIGSEGV, SIG_DFL);
            raise(SIGSEGV);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!(WIFSIGNALED(status) && WCOREDUMP(status)))
        std::cout << "SKIP: a crash here dumps no core (core_pattern " << corePattern << ")\n";
    return WIFSIGNALED(status) && WCOREDUMP(status);
}

int crash()
{
    rlimit limit{};
    getrlimit(RLIMIT_CORE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_CORE, &limit);
    if (!crashesDumpCore())
        return 77;
    const fs::path pidFile = folder / "pid", run = folder / "run";
    fs::create_directory(run);
    // The program leaves no core of its own; any core is velkor-sim's.
    const TerminalSession session = startOnTerminal(
        {sim, "--", "/bin/sh", "-c", "ulimit -c 0 && echo $$ >\"$0.new\" && mv \"$0.new\" \"$0\" && exec sleep 60",
         pidFile},
        run);
    if (eventually([&] { return fs::exists(pidFile); }))
        kill(std::stoi(textOf(pidFile)), SIGSEGV);
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

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode == "count")
        return count(argv[2]);
    if (mode != "terminal" && mode != "crash") {
        std::cerr << "Usage: velkor_sim_signals terminal|crash VELKOR_SIM\n";
        return 2;
    }
    sim = argv[2];
    std::string name = (fs::temp_directory_path() / "velkor_sim_signals.XXXXXX").string();
    if (!mkdtemp(name.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    // The testbeds are made in it, where one left behind goes with it.
    folder = name;
    fs::create_directory(folder / "tmp");
    setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    int status = 1;
    try {
        status = mode == "terminal" ? terminal() : crash();
    } catch (const std::exception &error) {
        std::cout << "FAIL: " << error.what() << "\n";
    }
    fs::remove_all(folder);
    return status;
}
