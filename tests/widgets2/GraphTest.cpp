// The throughput graph: columns, scale, legend and the sample ring, by its pixels.
#include <gtest/gtest.h>

#include <vector>

#include "Host.h"
#include "Pixels.h"
#include "widgets/ThroughputGraph.h"

namespace {

const COLORREF kBlack = RGB(0, 0, 0), kBar = RGB(0, 200, 0);

class Graph : public ::testing::Test {
protected:
    CTestHost& host = SharedHost();
    CThroughputGraph graph;
    CFont font;

    void SetUp() override { ResetHost(host); }
    void TearDown() override { graph.DestroyWindow(); }
    void Make(int w = 100, int h = 52)
    {
        ASSERT_TRUE(graph.Create("", WS_VISIBLE, CRect(10, 10, 10 + w, 10 + h), &host, 200));
        graph.m_crBar = kBar;
    }
    // Two labels in a small font that draws no shades.
    void LabelTopAndBottom()
    {
        font.CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, "Tahoma");
        graph.SetFont(&font);
        graph.m_strLabels[0] = "54M";
        graph.m_strLabels[1] = "0";
    }
    // Height of the bar colour at the bottom of a column, and whether the rest above is black.
    int BarHeight(const Shot& s, int x, bool* blackAbove)
    {
        int plot = s.h - 2, h = 0;
        while (h < plot && s.At(x, plot - 1 - h) == kBar) ++h;
        *blackAbove = true;
        for (int y = 0; y < plot - h; ++y) *blackAbove = *blackAbove && s.At(x, y) == kBlack;
        return h;
    }
};

TEST_F(Graph, ColumnsAreTwoPixelsWideScaledToTheFullScaleAndCappedAtTheTop)
{
    Make();
    ASSERT_TRUE(graph.SetScale(10.0));
    const double samples[] = {25.0, 5.0, 0.0, 10.0, 2.5, -3.0};
    for (double v : samples) ASSERT_TRUE(graph.AddPoint(v));
    Shot s = CaptureNow(graph.m_hWnd);
    // newest first, from the left edge outward: -3, 2.5, 10, 0, 5, 25 of 10 in 50 pixels
    const int heights[] = {0, 12, 50, 0, 25, 50};
    for (int k = 0; k < 6; ++k)
        for (int dx = 0; dx < 2; ++dx) {
            bool black = false;
            EXPECT_EQ(heights[k], BarHeight(s, 2 * k + dx, &black)) << "column " << k;
            EXPECT_TRUE(black) << "column " << k;
        }
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), s.At(0, 51)) << "the bottom line stays clear";
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), s.At(0, 50));
    SaveShot(graph.m_hWnd, "graph_columns");
}

TEST_F(Graph, AFullScaleOfZeroIsAllBlack)
{
    Make();
    graph.AddPoint(5);
    graph.SetScale(0);
    Shot s = CaptureNow(graph.m_hWnd);
    EXPECT_EQ(s.w * s.h, s.CountInRect(CRect(0, 0, s.w, s.h), kBlack));
}

TEST_F(Graph, TheLegendBandHoldsTheLabelsAndColumnsRunOutwardFromIt)
{
    Make(200, 62);
    LabelTopAndBottom();
    graph.SetLabelCount(2);
    graph.SetLegendWidth(30);
    graph.SetScale(1.0);
    graph.AddPoint(1.0);
    graph.AddPoint(0.0);
    Shot s = CaptureNow(graph.m_hWnd);
    EXPECT_GT(s.CountInRect(CRect(0, 0, 30, 31), RGB(255, 255, 255)), 5) << "first label in the top half";
    EXPECT_GT(s.CountInRect(CRect(0, 31, 30, 62), RGB(255, 255, 255)), 2) << "second label in the bottom half";
    bool black = false;
    EXPECT_EQ(0, BarHeight(s, 30, &black)) << "the newest sample beside the band";
    EXPECT_EQ(60, BarHeight(s, 32, &black));
    EXPECT_EQ(60, BarHeight(s, 33, &black));
    SaveShot(graph.m_hWnd, "graph_legend_left");

    // legend on the right, columns from the right
    graph.m_bLegendLeft = FALSE;
    graph.m_bColumnsFromLeft = FALSE;
    graph.SetScale(1.0);
    s = CaptureNow(graph.m_hWnd);
    EXPECT_GT(s.CountInRect(CRect(170, 0, 200, 62), RGB(255, 255, 255)), 5);
    EXPECT_EQ(0, BarHeight(s, 169, &black));
    EXPECT_EQ(60, BarHeight(s, 167, &black));
    EXPECT_EQ(60, BarHeight(s, 166, &black));
    SaveShot(graph.m_hWnd, "graph_legend_right");
}

// The legend's width and label count take effect at once: the graph is
// cleared and painted again.
TEST_F(Graph, LegendWidthAndLabelCountRepaintTheGraphAtOnce)
{
    Make(100, 62);
    LabelTopAndBottom();
    ASSERT_TRUE(graph.SetLabelCount(1));
    ASSERT_TRUE(graph.SetLegendWidth(60));
    ASSERT_TRUE(graph.SetScale(1.0));
    for (int i = 0; i < 40; ++i) graph.AddPoint(1.0);
    Shot s = CaptureNow(graph.m_hWnd);
    ASSERT_EQ(kBlack, s.At(45, 61)) << "the band reaches the bottom";

    // Read back without asking for a paint: the setter painted already.
    EXPECT_TRUE(graph.SetLegendWidth(30));
    EXPECT_EQ(30, graph.m_nLegendWidth);
    widgettest::Capture now(graph.m_hWnd);
    EXPECT_EQ(kBar, now.At(45, 30)) << "a column where the band was";
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), now.At(45, 61)) << "cleared below the columns";
    EXPECT_EQ(kBlack, now.At(10, 61));

    int whiteBelow = 0;
    auto countWhite = [&](const widgettest::Capture& c) {
        int n = 0;
        for (int y = 40; y < 62; ++y)
            for (int x = 0; x < 30; ++x) n += c.At(x, y) == RGB(255, 255, 255);
        return n;
    };
    whiteBelow = countWhite(now);
    EXPECT_EQ(0, whiteBelow) << "one label, centred";
    EXPECT_TRUE(graph.SetLabelCount(2));
    EXPECT_EQ(2, graph.m_nLabelCount);
    EXPECT_GT(countWhite(widgettest::Capture(graph.m_hWnd)), 2) << "the second label in the lower half";

    graph.m_bValid = FALSE;   // as when the ring could not be allocated
    EXPECT_FALSE(graph.SetLegendWidth(10));
    EXPECT_FALSE(graph.SetLabelCount(5));
    EXPECT_EQ(30, graph.m_nLegendWidth) << "nothing stored without a ring";
    EXPECT_EQ(2, graph.m_nLabelCount);
    graph.m_bValid = TRUE;
}

TEST_F(Graph, PictureOfTraffic)
{
    Make(300, 80);
    const COLORREF bar = RGB(0, 200, 255);
    graph.m_crBar = bar;
    graph.m_strLabels[0] = "Tx";
    graph.SetLabelCount(1);
    graph.SetLegendWidth(28);
    graph.SetScale(100);
    std::vector<double> samples;
    for (int i = 0; i < 140; ++i) {
        samples.push_back(50 + 45 * ((i * 7) % 23 - 11) / 11.0 * ((i / 10) % 2 ? 1 : 0.4));
        graph.AddPoint(samples.back());
    }
    Shot s = CaptureNow(graph.m_hWnd);
    EXPECT_TRUE(SaveShot(graph.m_hWnd, "graph_traffic"));
    // The band: black, with its label in white.
    EXPECT_EQ(0, s.CountInRect(CRect(0, 0, 28, 80), bar));
    EXPECT_GT(s.CountInRect(CRect(0, 0, 28, 80), RGB(255, 255, 255)), 5);
    EXPECT_GT(s.CountInRect(CRect(0, 0, 28, 80), kBlack), 28 * 80 / 2);
    // 136 columns fit beside it, the newest first, each as high as its share of 100 in 78 pixels.
    for (int k = 0; k < 136; ++k) {
        int want = (int)(78 * samples[139 - k] / 100);
        for (int x : {28 + 2 * k, 29 + 2 * k}) {
            int h = 0;
            while (h < 78 && s.At(x, 77 - h) == bar) ++h;
            ASSERT_EQ(want, h) << "column " << k;
            ASSERT_EQ(78 - want, s.CountInRect(CRect(x, 0, x + 1, 78 - want), kBlack)) << "column " << k;
        }
    }
}

TEST_F(Graph, AfterAScreenWidthOfSamplesTheOldestAreOverwritten)
{
    Make();
    graph.ShowWindow(SW_HIDE);
    int ring = graph.GetRingSize();
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), ring);
    for (int i = 1; i <= ring + 3; ++i) graph.AddPoint(i);
    EXPECT_EQ(ring + 3, graph.GetSample(0));
    EXPECT_EQ(4, graph.GetSample(ring - 1)) << "the oldest sample still held";
    EXPECT_EQ(ring + 1, graph.m_pSamples[1]) << "sample 1's slot now holds sample ring + 1";
    graph.Clear();
    EXPECT_EQ(0, graph.m_nIndex);
    EXPECT_EQ(0, graph.GetSample(5));

    graph.m_bValid = FALSE;   // as when the ring could not be allocated
    EXPECT_FALSE(graph.AddPoint(1));
    EXPECT_FALSE(graph.SetScale(1));
    graph.m_bValid = TRUE;
}

} // namespace
