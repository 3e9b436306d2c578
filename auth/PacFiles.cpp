// Placeholder of the EAP-FAST PAC files.
#include "auth/PacFiles.h"

void DeletePacFile() {}
