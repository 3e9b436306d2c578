// The Windows version code lives in the registry store; until that file is
// part of the build the OID channel's tests bring their own.
int g_nOsVersion = 11;
