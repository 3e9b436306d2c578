// CDibImage: a small device-independent bitmap (packed: header, palette,
// pixel rows) drawn through a DIB section made on first use.
#pragma once

#include "classlib/ClassLib.h"

class CDibImage {
public:
    CDibImage() = default;
    virtual ~CDibImage();
    CDibImage(const CDibImage&) = delete;
    CDibImage& operator=(const CDibImage&) = delete;

    // Frees everything and allocates width x height at the given depth;
    // palette and pixels are left as they are.
    BOOL Create(int width, int height, int bitsPerPixel);
    void Free();

    BYTE* GetBits() const;
    int GetWidth() const { return m_header.biWidth; }
    int GetHeight() const { return m_header.biHeight; }
    int GetStride() const { return m_nStride; }
    int GetBitCount() const { return m_header.biBitCount; }
    int GetPaletteSize() const { return m_nPaletteEntries; }
    const RGBQUAD* GetPalette() const;

    void SetPaletteEntry(int index, BYTE red, BYTE green, BYTE blue);
    void Fill(BYTE value);
    // 8-bit images; y counts from the top of the picture.
    void SetPixel(int x, int y, BYTE index);
    BYTE GetPixel(int x, int y) const;
    // Same size and depth, the whole block copied.
    BOOL CopyFrom(const CDibImage& other);
    // Every palette component moved toward the colour by percent (at most 100).
    void Blend(COLORREF colour, int percent);
    void Draw(CDC* dc, int x, int y);

private:
    BYTE* m_pBlock = nullptr;   // BITMAPINFOHEADER, palette, rows
    BITMAPINFOHEADER m_header = {};
    int m_nStride = 0;
    int m_nPaletteEntries = 0;
    HBITMAP m_hSection = nullptr;
    HDC m_hMemDC = nullptr;
    void* m_pSectionBits = nullptr;
    HGDIOBJ m_hOldBitmap = nullptr;
    size_t BlockSize() const;
};
