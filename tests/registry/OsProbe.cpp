#include "core/RegistryStore.h"

int main()
{
    g_nOsVersion = 0;
    return DetectOsVersion();
}
