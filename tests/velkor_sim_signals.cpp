// velkor-sim on a terminal: a stop signal from the terminal or from kill(1)
// reaches the program once, and a program's crash leaves no core of
// velkor-sim's own. Exits 1 on a failure, 77 when this system writes no core
// that the crash case could see.
// Usage: velkor_sim_signals terminal VELKOR_SIM SIGNAL_COUNTER
//        velkor_sim_signals crash VELKOR_SIM
#include "terminal_process.h"

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <tuple>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string sim, counter;
fs::path folder;
int failures = 0;

void expect(bool holds, const std::string &failure)
{
    if (!holds) {
        std::cout << "FAIL: " << failure << "\n";
        ++failures;
    }
}

std::vector<std::string> linesOf(const fs::path &file)
{
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// signal_counter under velkor-sim on a terminal: its log holds its pid, then
// the signals it took.
struct Counted {
    std::string name;
    fs::path log;
    TerminalSession session;
    pid_t program = -1;

    explicit Counted(const std::string &name, std::vector<std::string> options = {})
        : name(name), log(folder / (name + ".log"))
    {
        options.insert(options.begin(), sim);
        options.insert(options.end(), {"--", counter, log});
        session = startOnTerminal(options, folder);
    }

    std::string taken() const
    {
        const std::vector<std::string> lines = linesOf(log);
        std::string signals;
        for (std::size_t line = 1; line < lines.size(); ++line)
            signals += " " + lines[line];
        return signals;
    }

    void awaitProgram()
    {
        if (!eventually([&] { return !linesOf(log).empty(); }))
            throw std::runtime_error(name + ": the program did not start");
        program = std::stoi(linesOf(log).front());
    }

    void typeCtrlC() { expect(write(session.master, "\x03", 1) == 1, name + ": cannot type Ctrl-C"); }

    void hangUp()
    {
        close(session.master);
        session.master = -1;
    }

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
    expect(includes(stateOf(launcher).blocked, SIGINT), name + ": velkor-sim does not hold SIGINT");
    counted.typeCtrlC();
    expect(eventually([&] { return includes(stateOf(launcher).pending, SIGINT); }),
           name + ": the Ctrl-C did not reach velkor-sim");
    // Not waiting for a writer: were velkor-sim gone, that would be for ever.
    const int reader = open(trace.c_str(), O_RDONLY | O_NONBLOCK);
    int status = 0;
    const bool ended = eventually([&] { return waitpid(launcher, &status, WNOHANG) == launcher; });
    close(reader);
    counted.hangUp();
    expect(ended && WIFSIGNALED(status) && WTERMSIG(status) == SIGINT, name + ": the program ran on");
    if (!ended) {
        counted.awaitProgram();
        counted.end();
    }
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
        {"Ctrl-C", " INT",
         [](Counted &counted) {
             int status = 0;
             kill(counted.session.leader, SIGSTOP);
             waitpid(counted.session.leader, &status, WUNTRACED);
             counted.typeCtrlC();
             expect(eventually([&] { return !counted.taken().empty(); }), "Ctrl-C: the program took nothing");
             kill(counted.session.leader, SIGCONT);
         }},
        {"kill -INT", " INT", [](Counted &counted) { kill(counted.session.leader, SIGINT); }},
        // velkor-sim leads the terminal's session here, and the kernel sends
        // the hang-up to the session leader alone.
        {"hang-up", " HUP", [](Counted &counted) { counted.hangUp(); }},
    };
    for (const auto &[name, signal, send] : cases) {
        Counted counted(name);
        counted.awaitProgram();
        send(counted);
        expect(waitUntilSettled(counted.session.leader) && waitUntilSettled(counted.program),
               name + ": velkor-sim or the program did not settle");
        expect(counted.taken() == signal, name + ": the program took" + counted.taken());
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

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!(mode == "terminal" && argc == 4) && !(mode == "crash" && argc == 3)) {
        std::cerr << "Usage: velkor_sim_signals terminal VELKOR_SIM SIGNAL_COUNTER\n"
                     "       velkor_sim_signals crash VELKOR_SIM\n";
        return 2;
    }
    sim = argv[2];
    counter = mode == "terminal" ? argv[3] : "";
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
