#include "display_settings.h"

#include <cstring>

#include "krngn.h"

namespace {
// The write-back that holds the settings written now; null when each goes through at once.
SettingsWriteBack* holding = nullptr;
}  // namespace

int ReadSetting(const char* section, const char* key, int fallback) {
    int value = fallback;
    if (!Engine().GetConfig()->GetInteger(section, key, value)) {
        value = fallback;
    }
    return value;
}

void WriteSetting(const char* section, const char* key, int value) {
    if (holding == nullptr || !holding->Hold(section, key, value)) {
        Engine().GetConfig()->SetInteger(section, key, value);
    }
}

SettingsWriteBack::SettingsWriteBack(KrStartupProfile& profile)
    : profile_(profile), outer_(holding) {
    holding = this;
}

bool SettingsWriteBack::Hold(const char* section, const char* key, int value) {
    for (int i = 0; i < count_; ++i) {
        if (std::strcmp(held_[i].section, section) == 0 && std::strcmp(held_[i].key, key) == 0) {
            held_[i].value = value;
            return true;
        }
    }
    if (count_ == kMaxHeld) {
        return false;
    }
    held_[count_++] = Held{section, key, value};
    return true;
}

SettingsWriteBack::~SettingsWriteBack() {
    holding = outer_;
    KrStartPartScope writing(profile_, StartPart::ConfigWrites);
    for (int i = 0; i < count_; ++i) {
        const Held& setting = held_[i];
        int current = 0;
        if (!Engine().GetConfig()->GetInteger(setting.section, setting.key, current) ||
            current != setting.value) {
            WriteSetting(setting.section, setting.key, setting.value);
        }
    }
}
