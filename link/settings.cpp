// Interface, device address and the settings file EVM2280.ini.

#include "app/TForm1.h"

#include "app/dialogs.h"
#include "app/widgets.h"
#include "link/linktext.h"
#include "link/profilefile.h"
#include "link/settingstext.h"

#include <QComboBox>
#include <QDir>
#include <QSettings>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace {

const QString kSettingsFile = QStringLiteral("EVM2280.ini");
const QString kTypeKey = QStringLiteral("SerialInterface/Type");
const QString kAddrKey = QStringLiteral("SerialInterface/Addr");

// A stored value that is not integer text ends the loading of the file.
struct CorruptSettings {};

std::int32_t readInteger(const QSettings& s, const QString& key, const QString& defaultText)
{
    // A value with a comma comes back as a string list, one written as
    // @Variant(...) as some other type: neither is integer text.
    const QVariant v = s.value(key, defaultText);
    if (v.typeId() != QMetaType::QString) throw CorruptSettings{};
    const std::optional<std::int32_t> n = evmlink::parseIntegerText(v.toString());
    if (!n) throw CorruptSettings{};
    return *n;
}

// QSettings keeps its first error for the life of the object, so after a
// failed write a fresh object takes over, holding every value written so far:
// the keys lost then reach the file with the next write that succeeds, and
// that write's own failure can be seen.
void renewAfterFailure(QSettings*& settings)
{
    if (settings && settings->status() != QSettings::AccessError) return;
    auto* fresh = new QSettings(kSettingsFile, evmlink::profileFormat());
    if (settings) {
        const QStringList keys = settings->allKeys();
        for (const QString& key : keys) fresh->setValue(key, settings->value(key));
        delete settings;
    }
    settings = fresh;
}

// Writes the keys one by one, each put on disk at once. Keys that do not
// reach the file end the calling handler through the general error report.
void storeSettings(QSettings*& settings, std::initializer_list<std::pair<QString, QString>> keys)
{
    QStringList lost;
    for (const auto& [key, value] : keys) {
        renewAfterFailure(settings);
        settings->setValue(key, value);
        settings->sync();
        if (settings->status() == QSettings::AccessError || !settings->isWritable()) lost << key;
    }
    if (!lost.isEmpty())
        throw AppError(
            QStringLiteral("Cannot write the settings file %1: %2 not saved")
                .arg(QDir::toNativeSeparators(settings->fileName()), lost.join(QStringLiteral(" and "))));
}

} // namespace

void TForm1::LoadSettings()
{
    rgInterface->setItemIndex(evmlink::kSpiIndex);
    DeviceAddress = 0x4D;
    try {
        settings = new QSettings(kSettingsFile, evmlink::profileFormat());
        if (settings->status() == QSettings::AccessError) {
            // A file that is there but cannot be read leaves the defaults;
            // say so rather than start silently with other settings.
            dialogs().message(
                QStringLiteral("Cannot read the settings file %1; the default settings are used")
                    .arg(QDir::toNativeSeparators(settings->fileName())));
        }
        const std::int32_t type = readInteger(*settings, kTypeKey, QString::number(rgInterface->itemIndex()));
        const int index = evmlink::interfaceIndexFromType(type);
        rgInterface->setItemIndex(index);
        DeviceAddress = readInteger(*settings, kAddrKey, QStringLiteral("77"));
        DeviceAddress = evmlink::clampDeviceAddress(index, DeviceAddress);
        cbAddr->setCurrentIndex(evmlink::addressItem(index, DeviceAddress));
    } catch (const CorruptSettings&) {
        dialogs().message(QStringLiteral("Initial file was corrupted!!"));
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
    storeSettings(settings, {{kTypeKey, QString::number(iic ? 0 : 1)},
                             {kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}

void TForm1::cbAddrChange()
{
    if (rgInterface->itemIndex() != evmlink::kIicIndex) return;
    DeviceAddress = evmlink::kFirstIicAddress + cbAddr->currentIndex();
    storeSettings(settings, {{kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}
