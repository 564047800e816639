#include "serve_ioctl.h"

#include "bytes.h"
#include "pointed_buffers.h"

#include <umockdev.h>

#include <vector>

namespace velkor_sim {

namespace {

// The caller's memory in the other process. umockdev copies a resolved range
// over the socket and writes it back when the ioctl completes. Resolving a
// pointer that does not point into the caller's memory crashes the caller
// inside umockdev, so null pointers and absurd lengths are refused here.
class ClientMemory : public CallerMemory {
public:
    explicit ClientMemory(UMockdevIoctlClient *client)
        : arg_(umockdev_ioctl_client_get_arg(client)) {}
    ~ClientMemory() override
    {
        for (UMockdevIoctlData *data : resolved_)
            g_object_unref(data);
    }
    ClientMemory(const ClientMemory &) = delete;
    ClientMemory &operator=(const ClientMemory &) = delete;

    uint8_t *record(std::size_t size) override
    {
        record_ = resolve(arg_, 0, size);
        return record_ ? record_->data : nullptr;
    }

    uint8_t *follow(std::size_t offset, std::size_t length) override
    {
        UMockdevIoctlData *target = record_ ? resolve(record_, offset, length) : nullptr;
        return target ? target->data : nullptr;
    }

private:
    UMockdevIoctlData *resolve(UMockdevIoctlData *parent, std::size_t offset, std::size_t length)
    {
        if (length == 0 || length > kMaxFollow || offset + 8 > std::size_t(parent->data_len))
            return nullptr;
        if (!bytes::get<uint64_t>(parent->data, offset))
            return nullptr;
        GError *error = nullptr;
        UMockdevIoctlData *data = umockdev_ioctl_data_resolve(parent, offset, length, &error);
        if (!data) {
            g_clear_error(&error);
            return nullptr;
        }
        resolved_.push_back(data);
        return data;
    }

    UMockdevIoctlData *arg_;
    UMockdevIoctlData *record_ = nullptr;
    std::vector<UMockdevIoctlData *> resolved_;
};

} // namespace

void serveIoctl(Board &board, unsigned channel, UMockdevIoctlClient *client)
{
    // The resolved ranges stay referenced until complete has copied them back.
    ClientMemory memory(client);
    const Reply reply = board.command(channel, umockdev_ioctl_client_get_request(client), memory);
    umockdev_ioctl_client_complete(client, reply.result, reply.error);
}

Reply serveIoctl(NodeCommands &commands, UMockdevIoctlClient *client)
{
    ClientMemory memory(client);
    const Reply reply = commands.command(umockdev_ioctl_client_get_request(client), memory);
    umockdev_ioctl_client_complete(client, reply.result, reply.error);
    return reply;
}

} // namespace velkor_sim
