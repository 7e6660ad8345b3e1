#include "interfacesettings.h"

#include "apperror.h"
#include "linktext.h"
#include "profilefile.h"
#include "integertext.h"

#include <QDir>
#include <QStringList>

#include <optional>

namespace evm {

namespace {

const QByteArrayView kSection = "SerialInterface";
const QByteArrayView kTypeKey = "Type";
const QByteArrayView kAddrKey = "Addr";

// A stored value that is not integer text ends the loading of the file.
struct CorruptSettings {};

std::int32_t readInteger(const evmlink::ProfileFile& file, QByteArrayView key, const QString& defaultText)
{
    const std::optional<QByteArray> raw = file.value(kSection, key);
    const std::optional<std::int32_t> n =
        parseInteger(raw ? QString::fromLatin1(*raw) : defaultText, IntegerRange::Signed32);
    if (!n) throw CorruptSettings{};
    return *n;
}

} // namespace

InterfaceSettings::InterfaceSettings(QString path) : path_(std::move(path)) {}

InterfaceSettings::~InterfaceSettings() = default;

QString InterfaceSettings::rangeText(Interface i)
{
    return i == Interface::Iic ? QStringLiteral("0x4C..0x4F") : QStringLiteral("0..3");
}

QList<Report> InterfaceSettings::load()
{
    QList<Report> reports;
    interface_ = Interface::Spi;
    address_ = 0x4D;
    file_ = std::make_unique<evmlink::ProfileFile>(path_);
    if (!file_->load()) {
        // A file that is there but cannot be read (or is no file at all)
        // leaves the defaults; say so rather than start silently with other
        // settings.
        reports.append({ReportCategory::Settings,
                        QStringLiteral("Cannot read the settings file %1; the default settings are used")
                            .arg(QDir::toNativeSeparators(file_->fileName())),
                        {}});
    }
    try {
        const std::int32_t type = readInteger(*file_, kTypeKey, QStringLiteral("1"));
        interface_ = type == 0 ? Interface::Iic : Interface::Spi;
        address_ = readInteger(*file_, kAddrKey, QStringLiteral("77"));
        // Out of range: the first address of the interface.
        if (!addressFits(interface_, address_)) address_ = slotAddress(interface_, 0);
        slot_ = addressSlot(interface_, address_);
    } catch (const CorruptSettings&) {
        reports.append({ReportCategory::Settings, QStringLiteral("Initial file was corrupted!!"), {}});
        // The slot was not reached: the address is the one of the slot chosen
        // so far, so that whatever shows it and the link agree.
        address_ = slotAddress(interface_, slot_);
    }
    return reports;
}

void InterfaceSettings::selectInterface(Interface i)
{
    interface_ = i;
    slot_ = 0;
    address_ = addressAfterChange(i);
}

void InterfaceSettings::selectSlot(int slot)
{
    slot_ = slot;
    address_ = slotAddress(interface_, slot);
}

void InterfaceSettings::set(Interface i, std::int32_t address)
{
    interface_ = i;
    address_ = address;
    slot_ = addressSlot(i, address);
}

// Keys that do not reach the file end the calling operation through the
// general error report; the file object keeps them and writes them with the
// next write that works.
void InterfaceSettings::store(std::initializer_list<std::pair<QByteArrayView, QString>> keys)
{
    if (!file_) return;
    QStringList lost;
    for (const auto& [key, value] : keys) {
        if (!file_->setValue(kSection, key, value.toLatin1()))
            lost << QString::fromLatin1(kSection.toByteArray() + '/' + key.toByteArray());
    }
    if (!lost.isEmpty())
        throw AppError(
            QStringLiteral("Cannot write the settings file %1: %2 not saved")
                .arg(QDir::toNativeSeparators(file_->fileName()), lost.join(QStringLiteral(" and "))));
}

void InterfaceSettings::storeInterface()
{
    store({{kTypeKey, QString::number(interface_ == Interface::Iic ? 0 : 1)},
           {kAddrKey, evmlink::hex2(unsigned(address_))}});
}

void InterfaceSettings::storeAddress()
{
    store({{kAddrKey, evmlink::hex2(unsigned(address_))}});
}

void InterfaceSettings::close()
{
    if (!file_) return;
    file_->sync();
    file_.reset();
}

} // namespace evm
