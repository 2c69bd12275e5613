#include "display_settings.h"

#include "krngn.h"

int ReadSetting(const char* section, const char* key, int fallback) {
    int value = fallback;
    if (!Engine().GetConfig()->GetInteger(section, key, value)) {
        value = fallback;
    }
    return value;
}

void WriteSetting(const char* section, const char* key, int value) {
    Engine().GetConfig()->SetInteger(section, key, value);
}

SettingsWriteBack::SettingsWriteBack(KrStartupProfile& profile) : profile_(profile) {
    Engine().GetConfig()->BeginBatch();
}

SettingsWriteBack::~SettingsWriteBack() {
    KrStartPartScope writing(profile_, StartPart::ConfigWrites);
    Engine().GetConfig()->EndBatch();
}
