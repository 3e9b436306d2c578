#include "widgets/DibImage.h"

#include <cstring>

CDibImage::~CDibImage()
{
    Free();
}

void CDibImage::Free()
{
    if (m_hMemDC) {
        ::SelectObject(m_hMemDC, m_hOldBitmap);
        ::DeleteDC(m_hMemDC);
    }
    if (m_hSection)
        ::DeleteObject(m_hSection);
    delete[] m_pBlock;
    m_pBlock = nullptr;
    m_hSection = nullptr;
    m_hMemDC = nullptr;
    m_pSectionBits = nullptr;
    m_hOldBitmap = nullptr;
    m_header = {};
    m_nStride = 0;
    m_nPaletteEntries = 0;
}

size_t CDibImage::BlockSize() const
{
    return sizeof(BITMAPINFOHEADER) + 4u * m_nPaletteEntries + (size_t)m_nStride * m_header.biHeight;
}

BOOL CDibImage::Create(int width, int height, int bitsPerPixel)
{
    Free();
    if (width <= 0 || height <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32)
        return FALSE;
    m_nStride = (bitsPerPixel * width + 31) / 32 * 4;
    switch (bitsPerPixel) {
    case 1: m_nPaletteEntries = 2; break;
    case 4: m_nPaletteEntries = 16; break;
    case 8: m_nPaletteEntries = 256; break;
    default: m_nPaletteEntries = 0; break;
    }
    m_header.biSize = sizeof(BITMAPINFOHEADER);
    m_header.biWidth = width;
    m_header.biHeight = height;
    m_header.biPlanes = 1;
    m_header.biBitCount = (WORD)bitsPerPixel;
    m_header.biCompression = BI_RGB;
    m_header.biSizeImage = (DWORD)(m_nStride * height);
    m_pBlock = new BYTE[BlockSize()];
    std::memcpy(m_pBlock, &m_header, sizeof(m_header));
    return TRUE;
}

BYTE* CDibImage::GetBits() const
{
    return m_pBlock ? m_pBlock + sizeof(BITMAPINFOHEADER) + 4 * m_nPaletteEntries : nullptr;
}

const RGBQUAD* CDibImage::GetPalette() const
{
    return m_pBlock && m_nPaletteEntries ? (const RGBQUAD*)(m_pBlock + sizeof(BITMAPINFOHEADER)) : nullptr;
}

void CDibImage::SetPaletteEntry(int index, BYTE red, BYTE green, BYTE blue)
{
    if (!m_pBlock || index < 0 || index >= m_nPaletteEntries)
        return;
    RGBQUAD* q = (RGBQUAD*)(m_pBlock + sizeof(BITMAPINFOHEADER)) + index;
    q->rgbBlue = blue;
    q->rgbGreen = green;
    q->rgbRed = red;
    q->rgbReserved = 0;
}

void CDibImage::Fill(BYTE value)
{
    if (m_pBlock)
        std::memset(GetBits(), value, (size_t)m_nStride * m_header.biHeight);
}

void CDibImage::SetPixel(int x, int y, BYTE index)
{
    if (!m_pBlock || m_header.biBitCount != 8 || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight())
        return;
    GetBits()[(size_t)(GetHeight() - y - 1) * m_nStride + x] = index;
}

BYTE CDibImage::GetPixel(int x, int y) const
{
    if (!m_pBlock || m_header.biBitCount != 8 || x < 0 || y < 0 || x >= GetWidth() || y >= GetHeight())
        return 0;
    return GetBits()[(size_t)(GetHeight() - y - 1) * m_nStride + x];
}

BOOL CDibImage::CopyFrom(const CDibImage& other)
{
    if (!other.m_pBlock) {
        Free();
        return FALSE;
    }
    if (!Create(other.GetWidth(), other.GetHeight(), other.GetBitCount()))
        return FALSE;
    std::memcpy(m_pBlock, other.m_pBlock, BlockSize());
    return TRUE;
}

void CDibImage::Blend(COLORREF colour, int percent)
{
    if (!m_pBlock || !m_nPaletteEntries)
        return;
    int p = percent > 100 ? 100 : percent;
    RGBQUAD* q = (RGBQUAD*)(m_pBlock + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < m_nPaletteEntries; ++i) {
        q[i].rgbRed = (BYTE)((q[i].rgbRed * (100 - p) + GetRValue(colour) * p) / 100);
        q[i].rgbGreen = (BYTE)((q[i].rgbGreen * (100 - p) + GetGValue(colour) * p) / 100);
        q[i].rgbBlue = (BYTE)((q[i].rgbBlue * (100 - p) + GetBValue(colour) * p) / 100);
    }
}

void CDibImage::Draw(CDC* dc, int x, int y)
{
    if (!m_pBlock || !dc)
        return;
    if (!m_hSection) {
        m_hSection = ::CreateDIBSection(dc->m_hDC, (const BITMAPINFO*)m_pBlock, DIB_RGB_COLORS, &m_pSectionBits,
                                        nullptr, 0);
        if (!m_hSection)
            return;
        m_hMemDC = ::CreateCompatibleDC(dc->m_hDC);
        m_hOldBitmap = ::SelectObject(m_hMemDC, m_hSection);
    }
    // The section's colour table was fixed when it was made; the palette may have changed since.
    if (m_nPaletteEntries)
        ::SetDIBColorTable(m_hMemDC, 0, m_nPaletteEntries, GetPalette());
    std::memcpy(m_pSectionBits, GetBits(), (size_t)m_nStride * GetHeight());
    ::BitBlt(dc->m_hDC, x, y, GetWidth(), GetHeight(), m_hMemDC, 0, 0, SRCCOPY);
}
