// Array helpers of the site survey.
#pragma once

#include "classlib/ClassLib.h"

// Ascending by case-sensitive comparison in the code page's byte order
// (upper-case initials before lower-case ones).
void SortStringArray(CStringArray& array);
// Comparison of two ints for qsort: -1, 0 or 1.
int __cdecl CompareInts(const void* a, const void* b);
void ReverseArray(CDWordArray& array);
