// The skin builder and the skinned button, read from the images it builds
// and from the screen.
#include <gtest/gtest.h>

#include <cstdlib>

#include "WidgetTestSupport.h"
#include "widgets/SkinButton.h"

using namespace widgettest;

namespace {

COLORREF Entry(const CDibImage& img, int i)
{
    const RGBQUAD& q = img.GetPalette()[i];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

int g_fixedRandom = 16384;
int FixedRandom() { return g_fixedRandom; }

// Puts the library's generator back whatever a test set.
struct RandomScope {
    explicit RandomScope(int value)
    {
        g_fixedRandom = value;
        CSkinButton::SetRandom(FixedRandom);
    }
    RandomScope() { CSkinButton::SetRandom(nullptr); }
    ~RandomScope() { CSkinButton::SetRandom(nullptr); }
};

struct SkinTest : ::testing::Test {
    HostDialog host{420, 300, 140, 140, "skins"};
    void Make(CSkinButton& b, CRect r, UINT id = 400, const char* text = "")
    {
        ASSERT_TRUE(b.Create(text, WS_VISIBLE | WS_TABSTOP, r, &host, id));
        b.SetFont(host.GetFont());
    }
    static void Paint(CWnd& w)
    {
        w.RedrawWindow();
        PumpPending();
    }
};

TEST(DibImage, HeaderStrideAndPaletteFollowTheDepth)
{
    struct Case {
        int w, h, bpp, stride, entries;
    } cases[] = { {90, 60, 8, 92, 256}, {1, 1, 8, 4, 256}, {33, 2, 1, 8, 2}, {7, 3, 4, 4, 16}, {5, 5, 24, 16, 0},
                  {3, 1, 32, 12, 0} };
    for (const Case& c : cases) {
        CDibImage img;
        ASSERT_TRUE(img.Create(c.w, c.h, c.bpp));
        EXPECT_EQ(c.stride, img.GetStride()) << c.w << "x" << c.bpp;
        EXPECT_EQ(c.entries, img.GetPaletteSize()) << c.w << "x" << c.bpp;
        const BITMAPINFOHEADER* hdr = (const BITMAPINFOHEADER*)(img.GetBits() - 4 * c.entries - 40);
        EXPECT_EQ(40u, hdr->biSize);
        EXPECT_EQ(c.h, hdr->biHeight);   // bottom-up
        EXPECT_EQ((DWORD)(c.stride * c.h), hdr->biSizeImage);
        EXPECT_EQ((DWORD)BI_RGB, hdr->biCompression);
    }
    CDibImage none;
    EXPECT_EQ(nullptr, none.GetBits());
    none.SetPaletteEntry(0, 1, 2, 3);   // ignored without an image
    none.Blend(RGB(1, 2, 3), 50);
    none.SetPixel(0, 0, 1);
}

TEST(DibImage, SetPixelCountsRowsFromTheTopAndIgnoresPointsOutside)
{
    CDibImage img;
    img.Create(4, 3, 8);
    img.Fill(7);
    img.SetPixel(1, 0, 200);      // top row of the picture: the last row in memory
    img.SetPixel(-1, 0, 9);
    img.SetPixel(4, 0, 9);
    img.SetPixel(0, 3, 9);
    img.SetPixel(0, -1, 9);
    EXPECT_EQ(200, img.GetBits()[2 * img.GetStride() + 1]);
    int nines = 0;
    for (int i = 0; i < img.GetStride() * 3; ++i)
        nines += img.GetBits()[i] == 9;
    EXPECT_EQ(0, nines);
    img.SetPaletteEntry(256, 1, 2, 3);   // past the entries: ignored
    img.SetPaletteEntry(255, 1, 2, 3);
    EXPECT_EQ(RGB(1, 2, 3), Entry(img, 255));
}

TEST(DibImage, BlendMovesThePaletteTowardTheColourAndCapsAt100Percent)
{
    CDibImage img;
    img.Create(2, 2, 8);
    for (int i = 0; i < 256; ++i)
        img.SetPaletteEntry(i, 100, 200, 0);
    img.Blend(RGB(0, 0, 200), 50);
    EXPECT_EQ(RGB(50, 100, 100), Entry(img, 17));
    img.Blend(RGB(0, 0, 0), 33);   // integer division: 50 * 67 / 100 = 33
    EXPECT_EQ(RGB(33, 67, 67), Entry(img, 17));
    img.Blend(RGB(10, 20, 30), 150);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(RGB(10, 20, 30), Entry(img, i)) << i;
    CDibImage deep;
    deep.Create(2, 2, 24);
    deep.Blend(RGB(1, 2, 3), 50);   // no palette: nothing happens
}

TEST_F(SkinTest, PaletteRunsFromShadowThroughFaceToHighlight)
{
    CSkinButton b;
    Make(b, CRect(10, 10, 100, 70));
    b.BuildSkin(2, 8, 10, 0, 0, 0, 0);
    const CDibImage& face = b.GetFaceImage();
    COLORREF s = GetSysColor(COLOR_3DSHADOW), f = GetSysColor(COLOR_3DFACE), l = GetSysColor(COLOR_3DHILIGHT);
    EXPECT_EQ(s, Entry(face, 0));
    EXPECT_EQ(l, Entry(face, 255));
    auto mix = [](COLORREF a, int wa, COLORREF b, int wb) {
        return RGB((GetRValue(a) * wa + GetRValue(b) * wb) / 128, (GetGValue(a) * wa + GetGValue(b) * wb) / 128,
                   (GetBValue(a) * wa + GetBValue(b) * wb) / 128);
    };
    for (int i : {1, 64, 127})
        EXPECT_EQ(mix(s, 128 - i, f, i), Entry(face, i)) << i;
    for (int i : {128, 200, 254})
        EXPECT_EQ(mix(f, 255 - i, l, i - 127), Entry(face, i)) << i;
    // the colouring blends the whole face palette toward the colour
    b.BuildSkin(2, 8, 10, 100, RGB(0, 128, 255), 0, 0);
    EXPECT_EQ(RGB(0, 128, 255), Entry(b.GetFaceImage(), 0));
    EXPECT_EQ(RGB(0, 128, 255), Entry(b.GetFaceImage(), 255));
}

TEST_F(SkinTest, EachKindPutsItsPatternWhereThePartsFormulaSays)
{
    // (x, y) from the top-left of the 90 x 60 button; granularity 8 and a
    // generator that always answers 16384 give no noise (16384 / 2047 - 8 = 0)
    const int pts[10][2] = { {0, 0}, {89, 59}, {0, 59}, {89, 0}, {45, 30}, {2, 30}, {87, 30}, {45, 2}, {30, 15}, {44, 28} };
    const int expected[9][10] = {
        {244, 9, 127, 126, 124, 181, 68, 180, 174, 129},   // 1 diagonal, brightest top-left
        {243, 8, 8, 243, 123, 123, 123, 235, 183, 131},    // 2 vertical
        {247, 10, 247, 10, 127, 241, 15, 127, 167, 130},   // 3 horizontal
        {233, 11, 11, 233, 128, 128, 128, 214, 140, 128},  // 4 cubic over rows
        {248, 17, 248, 17, 128, 231, 33, 128, 131, 128},   // 5 cubic over columns
        {247, 8, 130, 123, 128, 231, 33, 214, 143, 128},   // 6 both, clamped
        {247, 19, 19, 226, 128, 230, 33, 208, 139, 128},   // 7 rounded bar
        {204, 9, 107, 106, 124, 151, 58, 151, 146, 109},   // 8 streaks over a ramp
        {255, 255, 255, 255, 255, 255, 255, 255, 255, 255} // any other kind
    };
    RandomScope fixed(16384);
    for (int kind = 1; kind <= 9; ++kind) {
        CSkinButton b;
        Make(b, CRect(10, 10, 100, 70));
        b.BuildSkin(kind, 8, 10, 0, 0, 0, 0);
        Paint(b);
        Capture shot(b);
        shot.SavePng("skin_kind_" + std::to_string(kind));
        const CDibImage& face = b.GetFaceImage();
        for (int i = 0; i < 10; ++i) {
            int x = pts[i][0], y = pts[i][1], v = expected[kind - 1][i];
            EXPECT_EQ(v, face.GetPixel(x, y)) << "kind " << kind << " at " << x << "," << y;
            EXPECT_EQ(Entry(face, v), shot.At(x, y)) << "kind " << kind << " at " << x << "," << y;
        }
    }
}

TEST_F(SkinTest, NoiseFollowsTheGranularity)
{
    CSkinButton b;
    Make(b, CRect(10, 10, 100, 70));
    // granularity 0: D = 32767, so only an answer of 32767 adds 1
    {
        RandomScope fixed(32766);
        b.BuildSkin(2, 0, 10, 0, 0, 0, 0);
        EXPECT_EQ(0, b.GetFaceImage().GetPixel(10, 59));
        EXPECT_EQ(59 * 255 / 60, b.GetFaceImage().GetPixel(10, 0));
    }
    {
        RandomScope library;
        CSkinButton::SeedRandom(12345);
        b.BuildSkin(2, 0, 10, 0, 0, 0, 0);
        int ones = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 90; ++x) {
                int diff = b.GetFaceImage().GetPixel(x, y) - (59 - y) * 255 / 60;
                ASSERT_TRUE(diff == 0 || diff == 1) << x << "," << y;
                ones += diff;
            }
        EXPECT_LT(ones, 5);
    }
    // granularity 8: the noise runs from -8 to +8, wrapping modulo 256
    {
        RandomScope fixed(0);
        b.BuildSkin(2, 8, 10, 0, 0, 0, 0);
        EXPECT_EQ(0, b.GetFaceImage().GetPixel(5, 59));
        RandomScope top(32767);
        b.BuildSkin(2, 8, 10, 0, 0, 0, 0);
        EXPECT_EQ(8 + 8, b.GetFaceImage().GetPixel(5, 59));
        b.BuildSkin(3, 0, 10, 0, 0, 0, 0);   // 255 + 1 at the left edge wraps to 0
        EXPECT_EQ(0, b.GetFaceImage().GetPixel(0, 30));
        EXPECT_EQ(255 * 89 / 90 + 1, b.GetFaceImage().GetPixel(1, 30));
    }
    {
        RandomScope library;
        CSkinButton::SeedRandom(1);
        b.BuildSkin(3, 33, 10, 0, 0, 0, 0);
        int lo = 255, hi = 0;
        for (int x = 0; x < 90; ++x) {
            int v = b.GetFaceImage().GetPixel(x, 30) - (33 + 189 * (90 - x) / 90);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        EXPECT_GE(lo, -33);
        EXPECT_LE(hi, 33);
        EXPECT_GT(hi - lo, 20);
    }
}

TEST_F(SkinTest, AnEmptyWindowStillGetsOnePixelImages)
{
    CSkinButton b;
    Make(b, CRect(10, 10, 10, 10));
    for (int kind : {1, 7, 8, 9}) {
        b.BuildSkin(kind, 33, 10, 0, 0, 0, 0);
        for (const CDibImage* img : {&b.GetFaceImage(), &b.GetHoverImage(), &b.GetSelectedImage()}) {
            EXPECT_EQ(1, img->GetWidth()) << kind;
            EXPECT_EQ(1, img->GetHeight()) << kind;
        }
    }
    CSkinButton noWindow;   // built before its window exists
    noWindow.BuildSkin(2, 8, 10, 0, 0, 0, 0);
    EXPECT_EQ(1, noWindow.GetFaceImage().GetWidth());
}

TEST_F(SkinTest, HoverAndSelectedFacesAreTintedCopies)
{
    const COLORREF l = GetSysColor(COLOR_3DHILIGHT);
    auto blend = [](COLORREF c, COLORREF t, int p) {
        return RGB((GetRValue(c) * (100 - p) + GetRValue(t) * p) / 100, (GetGValue(c) * (100 - p) + GetGValue(t) * p) / 100,
                   (GetBValue(c) * (100 - p) + GetBValue(t) * p) / 100);
    };
    CSkinButton b;
    Make(b, CRect(20, 20, 110, 80), 401, "Network");
    // the navigation bar's values: kind 0 falls back to the bright face
    b.BuildSkin(0, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
    Paint(b);
    Capture plain(b);
    plain.SavePng("skin_nav_plain");
    int same = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            same += plain.At(x, y) == l;
    EXPECT_GT(same, 90 * 60 * 8 / 10);   // all but the caption
    EXPECT_EQ(l, plain.At(1, 1));

    b.m_bTabSelected = TRUE;
    Paint(b);
    Capture selected(b);
    selected.SavePng("skin_nav_selected");
    EXPECT_EQ(blend(l, 0xA01E3C, 10), selected.At(1, 1));

    HoverOver(b, 45, 30);
    ASSERT_TRUE(b.IsHovered());
    Paint(b);
    Capture hovered(b);
    hovered.SavePng("skin_nav_hovered");
    EXPECT_EQ(blend(l, 0xE68CA0, 10), hovered.At(1, 1));
    // hovered and pressed: the hover face one pixel right and down
    b.SendMessage(BM_SETSTATE, TRUE);
    Paint(b);
    Capture pressed(b);
    pressed.SavePng("skin_nav_hovered_pressed");
    EXPECT_EQ(blend(l, 0xE68CA0, 10), pressed.At(1, 1));
    b.SendMessage(BM_SETSTATE, FALSE);
    b.CancelHover();
}

TEST_F(SkinTest, PagesButtonsAndLampsLookRight)
{
    // what the pages use: ordinary buttons and the round status lamps
    CSkinButton ok, cancel, lampOn, lampOff, nav;
    Make(ok, CRect(10, 10, 90, 34), 402, "OK");
    Make(cancel, CRect(100, 10, 180, 34), 403, "Cancel");
    Make(lampOn, CRect(200, 10, 224, 34), 404);
    Make(lampOff, CRect(240, 10, 264, 34), 405);
    Make(nav, CRect(10, 60, 100, 120), 406, "Network");
    ok.BuildSkin(2, 8, 10, 0, 0, 0, 0);
    cancel.BuildSkin(2, 8, 10, 0, 0, 0, 0);
    lampOn.BuildSkin(4, 8, 40, 5, RGB(0, 160, 0), 0xB4B4B4, 0x00FF00);
    lampOff.BuildSkin(4, 8, 40, 5, RGB(160, 0, 0), 0xB4B4B4, 0x0000FF);
    nav.BuildSkin(0, 33, 10, 0, 0, 0xE68CA0, 0xA01E3C);
    nav.SetIcon(282, -2);
    nav.SetAlign(1);
    cancel.EnableWindow(FALSE);
    EXPECT_TRUE(Screenshot(host, "skin_buttons_in_a_dialog"));

    Paint(host);
    Capture c(host.m_hWnd);
    auto count = [&](const CRect& r, bool (*is)(COLORREF)) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += is(c.At(x, y));
        return n;
    };
    auto black = [](COLORREF p) { return GetRValue(p) < 60 && GetGValue(p) < 60 && GetBValue(p) < 60; };
    auto grey = [](COLORREF p) {
        int r = GetRValue(p), g = GetGValue(p), b = GetBValue(p);
        return r > 90 && r < 200 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
    };
    // Enabled text is black; the disabled button's is grey, with nothing black.
    EXPECT_GT(count(CRect(35, 14, 65, 30), black), 10) << "OK";
    EXPECT_EQ(0, count(CRect(110, 12, 170, 32), black)) << "Cancel disabled";
    EXPECT_GT(count(CRect(120, 14, 160, 30), grey), 10) << "Cancel's grey text";
    // The lamps take their colour: green on, red off.
    COLORREF on = c.At(212, 20), off = c.At(252, 20);
    EXPECT_GT(GetGValue(on), GetRValue(on) + 5) << Rgb(on);
    EXPECT_GT(GetGValue(on), GetBValue(on) + 5) << Rgb(on);
    EXPECT_GT(GetRValue(off), GetGValue(off) + 5) << Rgb(off);
    EXPECT_GT(GetRValue(off), GetBValue(off) + 5) << Rgb(off);
    // The navigation button: its dark grey icon above its caption.
    auto dark = [](COLORREF p) { return GetRValue(p) < 120 && GetGValue(p) < 120 && GetBValue(p) < 120; };
    EXPECT_GT(count(CRect(35, 62, 75, 98), dark), 30) << "icon";
    EXPECT_GT(count(CRect(25, 98, 85, 116), black), 10) << "caption";
}

} // namespace

bool SamePixels(const CDibImage& a, const CDibImage& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

// A skin built out of turn from the place noted before it draws what it would
// have drawn in turn, and the skins after it draw theirs, when the builder
// passes over its draws: for every kind, at sizes where the count matters.
TEST_F(SkinTest, SkinsBuiltOutOfTurnDrawWhatTheyWouldHaveDrawnInTurn)
{
    struct Case {
        int kind, cx, cy;
    } cases[] = { {1, 90, 60}, {2, 88, 30}, {3, 7, 3}, {4, 30, 30}, {5, 20, 11}, {6, 64, 20}, {7, 90, 60},
                  {8, 66, 20}, {8, 1, 1}, {0, 90, 60}, {9, 12, 12} };
    RandomScope library;
    for (const Case& c : cases) {
        CSkinButton first, second, later, next;
        Make(first, CRect(0, 0, c.cx, c.cy), 401);
        Make(second, CRect(0, 0, 40, 20), 402);
        Make(later, CRect(0, 0, c.cx, c.cy), 403);
        Make(next, CRect(0, 0, 40, 20), 404);
        // In turn.
        CSkinButton::SeedRandom(2024u + (unsigned)c.kind);
        first.BuildSkin(c.kind, 33, 10, 0, 0, 0, 0);
        second.BuildSkin(2, 8, 10, 0, 0, 0, 0);
        unsigned after = CSkinButton::RandomSeed();
        // Out of turn: the second before the first.
        CSkinButton::SeedRandom(2024u + (unsigned)c.kind);
        unsigned place = CSkinButton::RandomSeed();
        CSkinButton::SkipRandom(CSkinButton::SkinDraws(c.kind, c.cx, c.cy));
        next.BuildSkin(2, 8, 10, 0, 0, 0, 0);
        unsigned reached = CSkinButton::RandomSeed();
        CSkinButton::SeedRandom(place);
        later.BuildSkin(c.kind, 33, 10, 0, 0, 0, 0);
        CSkinButton::SeedRandom(reached);

        EXPECT_EQ(after, CSkinButton::RandomSeed()) << "kind " << c.kind;
        EXPECT_TRUE(SamePixels(first.GetFaceImage(), later.GetFaceImage())) << "kind " << c.kind;
        EXPECT_TRUE(SamePixels(second.GetFaceImage(), next.GetFaceImage())) << "kind " << c.kind;
    }
}

// With a generator of the caller's own, passing over draws takes them from it.
TEST(SkinNoise, PassingOverDrawsTakesThemFromTheCallersGenerator)
{
    static int calls = 0;
    CSkinButton::SetRandom([]() { return ++calls; });
    CSkinButton::SkipRandom(5);
    EXPECT_EQ(5, calls);
    EXPECT_EQ(6, CSkinButton::Random());
    CSkinButton::SetRandom(nullptr);
}
