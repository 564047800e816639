#include "cuse_node.h"

#include "cuse_ioctl.h"
#include "trace_writer.h"

#include <cuse_lowlevel.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace velkor_sim {

struct CuseSession {
    CuseSession(Board &board, unsigned channel, const std::string &name, TraceWriter *trace)
        : board(board), channel(channel), name(name), trace(trace)
    {
    }
    ~CuseSession();

    Board &board;
    const unsigned channel;
    const std::string name;
    TraceWriter *const trace;
    // Until libfuse has it.
    int device = -1;
    // Readable once the session is to end; the thread waits on it and on the device.
    int stop = -1;
    fuse_session *fuse = nullptr;
    std::thread thread;
    // Told once, by the session's thread.
    std::promise<bool> served;
    bool told = false;
};

namespace {

CuseSession &sessionOf(fuse_req_t req)
{
    return *static_cast<CuseSession *>(fuse_req_userdata(req));
}

void tellServed(CuseSession &session, bool served)
{
    if (session.told)
        return;
    session.served.set_value(served);
    session.told = true;
}

// The kernel takes the reply to CUSE_INIT as libfuse writes it. A node it
// cannot make (one of that name is served already) makes it abort the
// connection there and then, which the descriptor shows as an error.
bool connectionAlive(int device)
{
    pollfd poll_fd{device, POLLIN, 0};
    return poll(&poll_fd, 1, 0) >= 0 && !(poll_fd.revents & (POLLERR | POLLHUP | POLLNVAL));
}

void onInitDone(void *userdata)
{
    CuseSession &session = *static_cast<CuseSession *>(userdata);
    tellServed(session, connectionAlive(fuse_session_fd(session.fuse)));
}

void onOpen(fuse_req_t req, fuse_file_info *fi)
{
    const CuseSession &session = sessionOf(req);
    if (session.trace)
        session.trace->write(session.name, "open");
    fuse_reply_open(req, fi);
}

void onRelease(fuse_req_t req, fuse_file_info *)
{
    fuse_reply_err(req, 0);
}

void onIoctl(fuse_req_t req, int cmd, void *arg, fuse_file_info *, unsigned, const void *in,
             std::size_t inSize, std::size_t outSize)
{
    CuseSession &session = sessionOf(req);
    answerIoctl(req, session.board, session.channel, cmd, arg, in, inSize, outSize);
}

cuse_lowlevel_ops operations()
{
    cuse_lowlevel_ops ops{};
    ops.init_done = onInitDone;
    ops.open = onOpen;
    ops.release = onRelease;
    ops.ioctl = onIoctl;
    return ops;
}

const cuse_lowlevel_ops kOperations = operations();

// libfuse reads the kernel's requests with blocking reads; the stop must be
// able to come in between, so the thread waits for either first. A device
// whose connection is gone shows an error alone.
bool awaitRequest(int device, int stop)
{
    pollfd fds[] = {{device, POLLIN, 0}, {stop, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
        if (errno != EINTR)
            return false;
    }
    return !fds[1].revents && (fds[0].revents & POLLIN);
}

void run(CuseSession &session)
{
    const int device = fuse_session_fd(session.fuse);
    fuse_buf buffer{};
    while (awaitRequest(device, session.stop)) {
        const int received = fuse_session_receive_buf(session.fuse, &buffer);
        if (received == -EINTR)
            continue;
        if (received <= 0)
            break;
        fuse_session_process_buf(session.fuse, &buffer);
    }
    std::free(buffer.mem);
    tellServed(session, false);
}

fuse_session *newSession(CuseSession &session)
{
    const std::string devName = "DEVNAME=" + session.name;
    const char *info[] = {devName.c_str()};
    cuse_info cuse{};
    cuse.dev_info_argc = 1;
    cuse.dev_info_argv = info;
    cuse.flags = CUSE_UNRESTRICTED_IOCTL;
    char program[] = "velkor-sim";
    char *argv[] = {program, nullptr};
    fuse_args args = FUSE_ARGS_INIT(1, argv);
    fuse_session *fuse = cuse_lowlevel_new(&args, &cuse, &kOperations, &session);
    fuse_opt_free_args(&args);
    if (!fuse)
        throw std::runtime_error(session.name + ": libfuse made no session");
    return fuse;
}

// libfuse takes a descriptor opened already by the name /dev/fd/N.
void attach(CuseSession &session)
{
    const std::string path = "/dev/fd/" + std::to_string(session.device);
    if (fuse_session_mount(session.fuse, path.c_str()) != 0)
        throw std::runtime_error(session.name + ": libfuse did not take /dev/cuse");
    session.device = -1;
}

} // namespace

CuseSession::~CuseSession()
{
    if (thread.joinable()) {
        eventfd_write(stop, 1);
        thread.join();
    }
    if (fuse) {
        fuse_session_unmount(fuse);
        fuse_session_destroy(fuse);
    }
    if (stop >= 0)
        close(stop);
    if (device >= 0)
        close(device);
}

CuseNode::CuseNode(Board &board, unsigned channel, const std::string &name, TraceWriter *trace,
                   int device)
    : session_(std::make_unique<CuseSession>(board, channel, name, trace))
{
    session_->device = device;
    session_->stop = eventfd(0, EFD_CLOEXEC);
    if (session_->stop < 0)
        throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
    session_->fuse = newSession(*session_);
    attach(*session_);
    session_->thread = std::thread(run, std::ref(*session_));
}

CuseNode::~CuseNode() = default;

bool CuseNode::waitUntilServed()
{
    return session_->served.get_future().get();
}

int CuseNode::openCuse()
{
    const int device = open("/dev/cuse", O_RDWR | O_CLOEXEC);
    if (device < 0)
        throw std::runtime_error(std::string("cannot open /dev/cuse: ") + std::strerror(errno) +
                                 "; --cuse needs root and the kernel's cuse module "
                                 "(sudo modprobe cuse)");
    return device;
}

} // namespace velkor_sim
