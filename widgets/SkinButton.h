// CSkinButton: an owner-drawn button whose face is a generated 8-bit image,
// with tinted copies for hover and for the selected tab.
#pragma once

#include "widgets/DibImage.h"
#include "widgets/OwnerDrawButton.h"

class CSkinButton : public COwnerDrawButton {
public:
    // The pattern's random source: any generator of the C library's range 0..32767.
    typedef int (*RandomFn)();
    static void SetRandom(RandomFn fn);
    static void SeedRandom(unsigned seed);
    static int Random();
    // Skins built out of turn draw the noise they would have drawn in turn:
    // the builder notes where the sequence stands, passes over the draws
    // those skins take (SkinDraws for each), and seeds the sequence with the
    // noted place when it builds them.  With a generator of the caller's
    // own, passing over draws from it.
    static unsigned RandomSeed();
    static void SkipRandom(unsigned draws);
    static unsigned SkinDraws(int kind, int cx, int cy);

    ~CSkinButton() override;

    // Builds the face for the window's present size (call after it exists).
    void BuildSkin(int kind, BYTE granularity, BYTE highlight, BYTE colouring, COLORREF colour,
                   COLORREF hoverTint, COLORREF selectTint);

    const CDibImage& GetFaceImage() const { return m_imgFace; }
    const CDibImage& GetHoverImage() const { return m_imgHover; }
    const CDibImage& GetSelectedImage() const { return m_imgSelected; }

protected:
    DWORD PaintBackground(CDC* dc, CRect* rect) override;
    DWORD PaintBorder(CDC* dc, CRect* rect) override;

private:
    CDibImage m_imgFace;
    CDibImage m_imgHover;
    CDibImage m_imgSelected;
};

// The face palette: shadow to face over entries 0..127, face to highlight over 128..255.
void BuildSkinPalette(CDibImage& image, COLORREF shadow, COLORREF face, COLORREF hilight);
// The pattern of a kind into an 8-bit image (rows from the bottom of the picture).
void BuildSkinPattern(CDibImage& image, int kind, BYTE granularity);
