#include "simulated_board.h"

#include "serve_ioctl.h"

#include <umockdev.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor_sim {

namespace {

struct Node {
    Board *board;
    unsigned channel;
    UMockdevIoctlBase *handler = nullptr;
};

gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer data)
{
    const Node *node = static_cast<const Node *>(data);
    serveIoctl(*node->board, node->channel, client);
    return TRUE;
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
    Board board;
    UMockdevTestbed *testbed = nullptr;
    std::string root;
    // Heap nodes: umockdev's thread holds their address as the handler's user data.
    std::map<std::string, std::unique_ptr<Node>> nodes;

    std::string path(const std::string &name) const { return root + "/dev/" + name; }
    void attach(const std::string &name, unsigned channel);
    void detach(const std::string &name);
};

void SimulatedBoard::Impl::attach(const std::string &name, unsigned channel)
{
    auto node = std::make_unique<Node>(Node{&board, channel});
    node->handler = umockdev_ioctl_base_new();
    g_signal_connect(node->handler, "handle-ioctl", G_CALLBACK(onIoctl), node.get());
    GError *error = nullptr;
    const gboolean ok = umockdev_testbed_attach_ioctl(testbed, ("/dev/" + name).c_str(),
                                                      node->handler, &error);
    if (!ok)
        g_object_unref(node->handler);
    checkGlib(ok, error, "attach " + name);
    nodes[name] = std::move(node);
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

SimulatedBoard::SimulatedBoard() : impl_(std::make_unique<Impl>())
{
    impl_->testbed = umockdev_testbed_new();
    gchar *root = umockdev_testbed_get_root_dir(impl_->testbed);
    impl_->root = root;
    g_free(root);
    check(mkdir((impl_->root + "/dev").c_str(), 0755) == 0, "mkdir dev");
    for (unsigned channel = 0; channel < Board::kChannels; ++channel)
        addNode("mil1553dev-0-ch-" + std::to_string(channel), channel);
}

SimulatedBoard::~SimulatedBoard()
{
    while (!impl_->nodes.empty())
        impl_->detach(impl_->nodes.begin()->first);
    // Releasing the testbed removes its root directory with everything in it.
    g_object_unref(impl_->testbed);
}

Board &SimulatedBoard::board()
{
    return impl_->board;
}

std::string SimulatedBoard::rootDir() const
{
    return impl_->root;
}

void SimulatedBoard::addNode(const std::string &name, unsigned channel)
{
    if (channel >= Board::kChannels)
        throw std::out_of_range("channel " + std::to_string(channel));
    check(mkfifo(impl_->path(name).c_str(), 0666) == 0, "mkfifo " + name);
    impl_->attach(name, channel);
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
