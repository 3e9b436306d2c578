// Hardware ids of the supported adapters and their models, as the utility
// recognises them, and the model table's XP driver file names.
#pragma once

struct HardwareIdRow {
    const char* id;
    int model;
};

extern const HardwareIdRow kHardwareIds[];
extern const int kHardwareIdCount;

// XP driver file of a model ("qx80.sys" for model 7), NULL when out of range.
const char* ModelDriverFile(int model);
// First hardware id of the tables for a model, NULL when the tables have none.
const char* DefaultHardwareId(int model);
// Model of a hardware id (first 21 characters, case-insensitive), -1 when unknown.
int ModelOfHardwareId(const char* id);
