#include "widgets/SortHelpers.h"

#include <cstring>
#include <utility>

void SortStringArray(CStringArray& array)
{
    // Passes over adjacent pairs until one makes no swap.
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (INT_PTR i = 0; i + 1 < array.GetSize(); ++i) {
            if (strcmp(array[i], array[i + 1]) > 0) {
                CString t = array[i];
                array[i] = array[i + 1];
                array[i + 1] = t;
                swapped = true;
            }
        }
    }
}

int __cdecl CompareInts(const void* a, const void* b)
{
    int x = *(const int*)a, y = *(const int*)b;
    return x < y ? -1 : x > y ? 1 : 0;
}

void ReverseArray(CDWordArray& array)
{
    for (INT_PTR i = 0, j = array.GetSize() - 1; i < j; ++i, --j) {
        DWORD t = array[i];
        array[i] = array[j];
        array[j] = t;
    }
}
