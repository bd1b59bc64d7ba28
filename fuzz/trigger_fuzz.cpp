// The stored trigger: arbitrary bytes as its JSON text. A trigger that decodes is shown
// (as the settings window would), encoded, and must decode to the same trigger.
#include "FuzzChecks.h"
#include "hotkeys/HotkeyConfig.h"

using namespace lettergate;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString error;
    const std::optional<HotkeyConfig> config = HotkeyConfig::fromJson(FuzzChecks::bytesOf(data, size), &error);
    if (!config) {
        FuzzChecks::require(!error.isEmpty(), "a refused trigger says why");
        return 0;
    }
    FuzzChecks::require(!config->readableName().isEmpty(), "a trigger has a name to show");
    FuzzChecks::require(!config->logName().isEmpty(), "a trigger has a name to log");
    const QByteArray encoded = config->toJson();
    const std::optional<HotkeyConfig> again = HotkeyConfig::fromJson(encoded);
    FuzzChecks::require(again.has_value(), "the encoded trigger decodes");
    FuzzChecks::require(*again == *config, "the trigger reads back equal");
    FuzzChecks::require(again->toJson() == encoded, "encoding it again gives the same text");
    return 0;
}
