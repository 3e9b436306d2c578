#include "sim/setup/HardwareIds.h"

#include <cctype>
#include <cstring>

const HardwareIdRow kHardwareIds[] = {
    {"USB\\VID_148F&PID_2570", 1}, {"USB\\VID_148F&PID_9020", 1}, {"USB\\VID_0DB0&PID_6861", 1},
    {"USB\\VID_0DB0&PID_6865", 1}, {"USB\\VID_0DB0&PID_6869", 1}, {"USB\\VID_0707&PID_EE13", 1},
    {"USB\\VID_0B05&PID_1706", 1}, {"USB\\VID_0B05&PID_1707", 1}, {"USB\\VID_5A57&PID_0260", 1},
    {"USB\\VID_5A57&PID_0261", 1}, {"USB\\VID_0F88&PID_3012", 1}, {"USB\\VID_13B1&PID_000D", 1},
    {"USB\\VID_0769&PID_11F3", 1}, {"USB\\VID_14B2&PID_3C02", 1}, {"USB\\VID_14B2&PID_3C03", 1},
    {"USB\\VID_1044&PID_8007", 1}, {"USB\\VID_0411&PID_0066", 1}, {"USB\\VID_0411&PID_0067", 1},
    {"USB\\VID_0681&PID_3C06", 1}, {"USB\\VID_0EB0&PID_9020", 1}, {"USB\\VID_0EB0&PID_9021", 1},
    {"USB\\VID_1371&PID_9022", 1}, {"USB\\VID_050D&PID_7050", 1},
    {"USB\\VID_148F&PID_2573", 5}, {"USB\\VID_18E8&PID_6196", 5}, {"USB\\VID_1044&PID_8008", 5},
    {"USB\\VID_14B2&PID_3C22", 5}, {"USB\\VID_148F&PID_2671", 5}, {"USB\\VID_13B1&PID_0020", 5},
    {"USB\\VID_0DB0&PID_6877", 5}, {"USB\\VID_0DB0&PID_A874", 5}, {"USB\\VID_0DB0&PID_6874", 5},
    {"USB\\VID_0769&PID_31F3", 5}, {"USB\\VID_0B05&PID_1723", 5}, {"USB\\VID_0B05&PID_1724", 5},
    {"USB\\VID_18C5&PID_0002", 5}, {"USB\\VID_1472&PID_0009", 5}, {"USB\\VID_1371&PID_9032", 5},
    {"USB\\VID_1631&PID_C019", 5}, {"USB\\VID_1044&PID_800A", 5}, {"USB\\VID_0DB0&PID_A861", 5},
    {"USB\\VID_18E8&PID_6229", 5}, {"USB\\VID_1690&PID_0722", 5}, {"USB\\VID_148F&PID_9021", 5},
    {"USB\\VID_0411&PID_00D8", 5}, {"USB\\VID_0586&PID_3415", 5}, {"USB\\VID_0DF6&PID_9712", 5},
    {"USB\\VID_0DF6&PID_90AC", 5}, {"USB\\VID_18E8&PID_6238", 5},
    {"USB\\VID_148F&PID_2870", 8}, {"USB\\VID_0B05&PID_1731", 8}, {"USB\\VID_0B05&PID_1732", 8},
    {"USB\\VID_0DF6&PID_0017", 8}, {"USB\\VID_14B2&PID_3C06", 8}, {"USB\\VID_2019&PID_ED06", 8},
    {"USB\\VID_07D1&PID_3C09", 8}, {"USB\\VID_050D&PID_8053", 8}, {"USB\\VID_14B2&PID_3C23", 8},
    {"USB\\VID_14B2&PID_3C07", 8}, {"USB\\VID_07AA&PID_002F", 8}, {"USB\\VID_1044&PID_800B", 8},
    {"USB\\VID_148F&PID_2770", 8}, {"USB\\VID_15A9&PID_0006", 8}, {"USB\\VID_083A&PID_B522", 8},
    {"USB\\VID_083A&PID_7522", 8},
    {"PCI\\VEN_1814&DEV_0201", 0}, {"PCI\\VEN_1814&DEV_0301", 4}, {"PCI\\VEN_1814&DEV_0302", 4},
    {"PCI\\VEN_1814&DEV_0401", 4}, {"PCI\\VEN_1814&DEV_0701", 4}, {"PCI\\VEN_1814&DEV_0781", 4},
    {"PCI\\VEN_1814&DEV_0501", 6}, {"PCI\\VEN_1814&DEV_0601", 7}, {"PCI\\VEN_1814&DEV_0681", 7},
};
const int kHardwareIdCount = sizeof(kHardwareIds) / sizeof(kHardwareIds[0]);

static const char* const kXpFiles[9] = {"qx40.sys", "qx40usb.sys", "qx50.sys", "qx50usb.sys", "qx60.sys",
                                        "qx70.sys", "qx80.sys", "qx80.sys", "qx90.sys"};

const char* ModelDriverFile(int model) { return model >= 0 && model < 9 ? kXpFiles[model] : nullptr; }

const char* DefaultHardwareId(int model)
{
    if (model == 7) return "PCI\\VEN_1814&DEV_0601";
    if (model == 6) return "PCI\\VEN_1814&DEV_0501";
    for (int i = kHardwareIdCount - 1; i >= 0; --i)   // PCI rows first, as the utility compares them last
        if (kHardwareIds[i].model == model && std::strncmp(kHardwareIds[i].id, "PCI", 3) == 0) return kHardwareIds[i].id;
    for (int i = 0; i < kHardwareIdCount; ++i)
        if (kHardwareIds[i].model == model) return kHardwareIds[i].id;
    return nullptr;
}

int ModelOfHardwareId(const char* id)
{
    char upper[22] = {0};
    for (int i = 0; i < 21 && id[i]; ++i) upper[i] = (char)std::toupper((unsigned char)id[i]);
    for (int i = 0; i < kHardwareIdCount; ++i)   // the first matching row wins
        if (std::strncmp(upper, kHardwareIds[i].id, 21) == 0) return kHardwareIds[i].model;
    return -1;
}
