// Interface, device address and the settings file EVM2280.ini.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "ui/widgets.h"
#include "core/linktext.h"
#include "core/profilefile.h"
#include "core/settingstext.h"

#include <QComboBox>
#include <QDir>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace {

const QString kSettingsFile = QStringLiteral("EVM2280.ini");
const QByteArrayView kSection = "SerialInterface";
const QByteArrayView kTypeKey = "Type";
const QByteArrayView kAddrKey = "Addr";

// A stored value that is not integer text ends the loading of the file.
struct CorruptSettings {};

std::int32_t readInteger(const evmlink::ProfileFile& file, QByteArrayView key, const QString& defaultText)
{
    const std::optional<QByteArray> raw = file.value(kSection, key);
    const std::optional<std::int32_t> n =
        evmlink::parseIntegerText(raw ? QString::fromLatin1(*raw) : defaultText);
    if (!n) throw CorruptSettings{};
    return *n;
}

// Writes the keys one by one, each put on disk at once. Keys that do not
// reach the file end the calling handler through the general error report;
// the file object keeps them and writes them with the next write that works.
void storeSettings(evmlink::ProfileFile& file, std::initializer_list<std::pair<QByteArrayView, QString>> keys)
{
    QStringList lost;
    for (const auto& [key, value] : keys) {
        if (!file.setValue(kSection, key, value.toLatin1()))
            lost << QString::fromLatin1(kSection.toByteArray() + '/' + key.toByteArray());
    }
    if (!lost.isEmpty())
        throw AppError(
            QStringLiteral("Cannot write the settings file %1: %2 not saved")
                .arg(QDir::toNativeSeparators(file.fileName()), lost.join(QStringLiteral(" and "))));
}

} // namespace

void TForm1::LoadSettings()
{
    rgInterface->setItemIndex(evmlink::kSpiIndex);
    DeviceAddress = 0x4D;
    settings = new evmlink::ProfileFile(kSettingsFile);
    if (!settings->load()) {
        // A file that is there but cannot be read (or is no file at all)
        // leaves the defaults; say so rather than start silently with other
        // settings.
        dialogs().message(QStringLiteral("Cannot read the settings file %1; the default settings are used")
                              .arg(QDir::toNativeSeparators(settings->fileName())));
    }
    try {
        const std::int32_t type = readInteger(*settings, kTypeKey, QString::number(rgInterface->itemIndex()));
        const int index = evmlink::interfaceIndexFromType(type);
        rgInterface->setItemIndex(index);
        DeviceAddress = readInteger(*settings, kAddrKey, QStringLiteral("77"));
        DeviceAddress = evmlink::clampDeviceAddress(index, DeviceAddress);
        cbAddr->setCurrentIndex(evmlink::addressItem(index, DeviceAddress));
    } catch (const CorruptSettings&) {
        dialogs().message(QStringLiteral("Initial file was corrupted!!"));
        // The address item was not reached: the window, DeviceAddress and
        // the link all take the address that the box shows.
        DeviceAddress = evmlink::itemAddress(rgInterface->itemIndex(), cbAddr->currentIndex());
    }
}

void TForm1::ApplyInterface(int index)
{
    evmlink::applyInterface(linkSettings, index, DeviceAddress);
}

void TForm1::rgInterfaceClick()
{
    // Also reached when the interface is selected by program during creation,
    // before any library is loaded.
    if (!bus.isLoaded()) return;
    const int index = rgInterface->itemIndex();
    const bool iic = index == evmlink::kIicIndex;

    // The new device address is taken before the link is re-initialised, so
    // that the library, the window and the file all agree on it at once.
    DeviceAddress = iic ? evmlink::kFirstIicAddress : 0;
    ApplyInterface(index);
    bus.close();
    bus.init(BoardOpen, &linkSettings); // the port is kept whatever this returns
    cbAddr->setEnabled(iic);
    cbAddr->setCurrentIndex(0);

    // Stored last: a file that cannot be written is reported, but the window
    // and the link already follow the user's choice.
    storeSettings(*settings, {{kTypeKey, QString::number(iic ? 0 : 1)},
                              {kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}

void TForm1::cbAddrChange()
{
    if (rgInterface->itemIndex() != evmlink::kIicIndex) return;
    DeviceAddress = evmlink::itemAddress(evmlink::kIicIndex, cbAddr->currentIndex());
    storeSettings(*settings, {{kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}
