#include "simulated_board.h"

#include "requests.h"
#include "serve_ioctl.h"
#include "trace_writer.h"

#include <umockdev.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor_sim {

namespace {

struct Node {
    // A board's channel, or else `commands`.
    Board *board;
    unsigned channel;
    std::unique_ptr<NodeCommands> commands;
    std::string name;
    // The trace, when there is one; the address stays, its content is set once.
    const std::unique_ptr<TraceWriter> *trace;
    UMockdevIoctlBase *handler = nullptr;
};

// A board traces its own commands, decoded; other nodes show the command's name.
void serveCommands(const Node &node, UMockdevIoctlClient *client)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    const Reply reply = serveIoctl(*node.commands, client);
    if (!*node.trace)
        return;
    const char *name = request::name(request::canonical(request));
    (*node.trace)->write(node.name, (name ? name : "ioctl") + std::string(" = ") + outcome(reply));
}

gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer data)
{
    const Node *node = static_cast<const Node *>(data);
    if (node->commands)
        serveCommands(*node, client);
    else
        serveIoctl(*node->board, node->channel, client);
    return TRUE;
}

// umockdev tells of each open of the node this way.
void onConnected(UMockdevIoctlBase *, UMockdevIoctlClient *, gpointer data)
{
    const Node *node = static_cast<const Node *>(data);
    if (*node->trace)
        (*node->trace)->write(node->name, "open");
}

void check(bool ok, const std::string &what)
{
    if (!ok)
        throw std::runtime_error(what + ": " + std::strerror(errno));
}

void checkGlib(gboolean ok, GError *error, const std::string &what)
{
    if (ok)
        return;
    const std::string message = what + ": " + (error ? error->message : "failed");
    g_clear_error(&error);
    throw std::runtime_error(message);
}

} // namespace

struct SimulatedBoard::Impl {
    // Declared before the boards, which hold their addresses.
    std::unique_ptr<TraceWriter> trace;
    std::vector<std::unique_ptr<BoardTraceLines>> traceLines;
    std::vector<std::unique_ptr<Board>> boards;
    UMockdevTestbed *testbed = nullptr;
    std::string root;
    // Heap nodes: umockdev's thread holds their address as the handler's user data.
    std::map<std::string, std::unique_ptr<Node>> nodes;

    std::string path(const std::string &name) const { return root + "/dev/" + name; }
    void attach(std::unique_ptr<Node> node);
    void addNode(std::unique_ptr<Node> node);
    void detach(const std::string &name);
};

void SimulatedBoard::Impl::attach(std::unique_ptr<Node> node)
{
    const std::string name = node->name;
    node->handler = umockdev_ioctl_base_new();
    g_signal_connect(node->handler, "handle-ioctl", G_CALLBACK(onIoctl), node.get());
    g_signal_connect(node->handler, "client-connected", G_CALLBACK(onConnected), node.get());
    GError *error = nullptr;
    const gboolean ok = umockdev_testbed_attach_ioctl(testbed, ("/dev/" + name).c_str(),
                                                      node->handler, &error);
    if (!ok)
        g_object_unref(node->handler);
    checkGlib(ok, error, "attach " + name);
    nodes[name] = std::move(node);
}

void SimulatedBoard::Impl::addNode(std::unique_ptr<Node> node)
{
    check(mkfifo(path(node->name).c_str(), 0666) == 0, "mkfifo " + node->name);
    attach(std::move(node));
}

void SimulatedBoard::Impl::detach(const std::string &name)
{
    auto it = nodes.find(name);
    if (it == nodes.end())
        return;
    umockdev_testbed_detach_ioctl(testbed, ("/dev/" + name).c_str(), nullptr);
    g_object_unref(it->second->handler);
    nodes.erase(it);
}

SimulatedBoard::SimulatedBoard(unsigned boards) : impl_(std::make_unique<Impl>())
{
    impl_->testbed = umockdev_testbed_new();
    gchar *root = umockdev_testbed_get_root_dir(impl_->testbed);
    impl_->root = root;
    g_free(root);
    check(mkdir((impl_->root + "/dev").c_str(), 0755) == 0, "mkdir dev");
    // The testbed's sys/ stands in for /sys: this link, which the kernel
    // follows outside the testbed, shows the served program the real control
    // groups and so the memory limits that it runs under.
    check(mkdir((impl_->root + "/sys/fs").c_str(), 0755) == 0 || errno == EEXIST, "mkdir sys/fs");
    check(symlink("/sys/fs/cgroup", (impl_->root + "/sys/fs/cgroup").c_str()) == 0, "symlink sys/fs/cgroup");
    for (unsigned number = 0; number < boards; ++number) {
        impl_->boards.push_back(std::make_unique<Board>(number));
        for (unsigned channel = 0; channel < Board::kChannels; ++channel)
            addNode(nodeName(number, channel), *impl_->boards.back(), channel);
    }
}

SimulatedBoard::~SimulatedBoard()
{
    while (!impl_->nodes.empty())
        impl_->detach(impl_->nodes.begin()->first);
    // Releasing the testbed removes its root directory with everything in it.
    g_object_unref(impl_->testbed);
}

Board &SimulatedBoard::board(unsigned number)
{
    return *impl_->boards.at(number);
}

unsigned SimulatedBoard::boardCount() const
{
    return static_cast<unsigned>(impl_->boards.size());
}

void SimulatedBoard::traceTo(std::FILE *file)
{
    impl_->trace = std::make_unique<TraceWriter>(file);
    for (unsigned number = 0; number < impl_->boards.size(); ++number) {
        impl_->traceLines.push_back(std::make_unique<BoardTraceLines>(*impl_->trace, number));
        impl_->boards[number]->setTrace(impl_->traceLines.back().get());
    }
}

std::string SimulatedBoard::rootDir() const
{
    return impl_->root;
}

void SimulatedBoard::addNode(const std::string &name, unsigned channel)
{
    addNode(name, board(), channel);
}

void SimulatedBoard::addNode(const std::string &name, Board &board, unsigned channel)
{
    if (channel >= Board::kChannels)
        throw std::out_of_range("channel " + std::to_string(channel));
    impl_->addNode(std::make_unique<Node>(Node{&board, channel, nullptr, name, &impl_->trace}));
}

void SimulatedBoard::addNode(const std::string &name, std::unique_ptr<NodeCommands> commands)
{
    impl_->addNode(std::make_unique<Node>(Node{nullptr, 0, std::move(commands), name, &impl_->trace}));
}

void SimulatedBoard::addRegularFile(const std::string &name)
{
    FILE *file = std::fopen(impl_->path(name).c_str(), "w");
    check(file != nullptr, "create " + name);
    std::fclose(file);
}

void SimulatedBoard::addFolder(const std::string &name)
{
    check(mkdir(impl_->path(name).c_str(), 0755) == 0, "mkdir " + name);
}

void SimulatedBoard::removeEntry(const std::string &name)
{
    impl_->detach(name);
    check(std::remove(impl_->path(name).c_str()) == 0, "remove " + name);
}

// A dangling symbolic link is still listed as a system entry, but every open
// of it fails with ENOENT; with no handler, ioctls on it fail as well.
void SimulatedBoard::makeOpenFail(const std::string &name)
{
    removeEntry(name);
    check(symlink(".velkor-sim-missing", impl_->path(name).c_str()) == 0, "symlink " + name);
}

} // namespace velkor_sim
