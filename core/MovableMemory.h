// Movable global memory, locked while it is held: the records shared with
// the driver (StationConfig, key blobs, scan buffers, connect requests) and
// the OID channel's retry copies live in it.
#pragma once

#include <windows.h>

// Zero-filled and locked; NULL when out of memory.
void* AllocMovable(SIZE_T size);
// A locked copy of size bytes of src (zeros when src is NULL); NULL for size 0.
void* CopyToMovable(const void* src, SIZE_T size);
// Unlocks and frees a block of AllocMovable or CopyToMovable; NULL is allowed.
void FreeMovable(void* p);
// The bytes a block of AllocMovable or CopyToMovable holds; 0 when p is none.
SIZE_T MovableSize(const void* p);
