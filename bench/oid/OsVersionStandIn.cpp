// The Windows version code lives in the registry store; until that file is
// part of the build the benchmark brings its own.
int g_nOsVersion = 11;
