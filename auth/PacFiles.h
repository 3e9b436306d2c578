// EAP-FAST PAC files.  Not built yet.
#pragma once

void DeletePacFile();
