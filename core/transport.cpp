#include "transport.h"

#include "linktext.h"

namespace evm {

Transport::Transport(QObject* parent) : QObject(parent)
{
    evmlink::initLinkSettings(link_);
}

HxBusLibrary::LoadResult Transport::load(const QString& name)
{
    return bus_.load(name);
}

void Transport::applyInterface(Interface i, std::int32_t deviceAddress)
{
    evmlink::applyInterface(link_, i == Interface::Iic ? 0 : 1, deviceAddress);
}

std::int32_t Transport::search(Interface i, std::int32_t deviceAddress)
{
    applyInterface(i, deviceAddress);
    port_ = bus_.isLoaded() ? bus_.init(0, &link_) : 0;
    return port_;
}

std::int32_t Transport::reopen(Interface i, std::int32_t deviceAddress)
{
    applyInterface(i, deviceAddress);
    if (!bus_.isLoaded()) return 0;
    bus_.close();
    const std::int32_t rc = bus_.init(port_, &link_);
    if (rc == 0) port_ = 0;
    return rc;
}

void Transport::closeLink()
{
    if (bus_.isLoaded()) bus_.close();
    port_ = 0;
}

void Transport::shutdown()
{
    if (bus_.isLoaded()) {
        bus_.close();
        bus_.unload();
    }
    port_ = 0;
}

std::optional<int> Transport::libraryVersion() const
{
    if (!bus_.getVer) return std::nullopt;
    return bus_.getVer();
}

void Transport::chipFailed(const QString& text)
{
    const Report r{ReportCategory::Communication, text, {}};
    emit transferFailed(r);
    if (errorReported_) return;
    errorReported_ = true;
    emit report(r);
}

void Transport::writeChip(unsigned reg, std::uint8_t value)
{
    if (port_ == 0 || holdWrites_) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = value;
    const int rc = bus_.writeData(evmlink::kChannelChip, int(reg), buffer, 1);
    emit transferred(evmlink::kChannelChip, int(reg), value, true, rc);
    if (rc != 0) chipFailed(evmlink::writeErrorText(rc));
}

std::uint8_t Transport::readChip(int reg)
{
    if (port_ == 0) return 0;
    unsigned char buffer[evmlink::kBufferSize] = {};
    const int rc = bus_.readData(evmlink::kChannelChip, reg, buffer, 1);
    emit transferred(evmlink::kChannelChip, reg, buffer[0], false, rc);
    if (rc != 0) chipFailed(evmlink::readErrorText(rc));
    return buffer[0];
}

void Transport::writeBoardControl(int address, std::uint8_t value)
{
    if (port_ == 0 || holdWrites_) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = value;
    const int rc = bus_.writeData(evmlink::kChannelBoard, address, buffer, 1);
    emit transferred(evmlink::kChannelBoard, address, value, true, rc);
    if (rc != 0) {
        // Every failed board-control write is shown, whatever came before.
        const Report r{ReportCategory::Communication, evmlink::boardErrorText(rc), {}};
        emit transferFailed(r);
        emit report(r);
    }
}

} // namespace evm
