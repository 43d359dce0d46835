// The markup engine through the Qt adapter: the print-failure toast's texts
// drawn into pictures of the toast's statics (written to the test output
// folder for the eye). Every run is measured in the font it is drawn in,
// so the drawn text stays inside the measured boxes. Links reach the
// desktop through QDesktopServices, web addresses only.
#include "tests/support/program_folder.h"
#include "ui/html/html_draw_list.h"
#include "ui/html/html_text.h"
#include "ui/html/qt/qt_html.h"
#include "ui/html/qt/qt_html_metrics.h"
#include "ui/html/qt/qt_html_painter.h"
#include "ui/samples/toast_samples.h"

#include <QDesktopServices>
#include <QDir>
#include <QPainter>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// Draws through the Qt painter and records the same commands.
class CTeeSink : public IHtmlDrawSink
{
public:
    explicit CTeeSink(QPainter& painter) : m_Painter(painter) {}
    void DrawTextRun(const HtmlTextRun& run) override
    {
        m_List.DrawTextRun(run);
        m_Painter.DrawTextRun(run);
    }
    void DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour) override
    {
        m_List.DrawLine(nX1, nY1, nX2, nY2, nWidth, crColour);
        m_Painter.DrawLine(nX1, nY1, nX2, nY2, nWidth, crColour);
    }
    void FillRect(const HtmlRect& rect, COLORREF crColour) override
    {
        m_List.FillRect(rect, crColour);
        m_Painter.FillRect(rect, crColour);
    }

    CHtmlDrawList m_List;

private:
    CQtHtmlPainter m_Painter;
};

struct SRendered
{
    QImage image;
    CHtmlDrawList list;
    HtmlSize size;
};

SRendered Render(const std::string& strMarkup, const QSize& staticSize, const char* pszFile)
{
    SRendered rendered;
    rendered.image = QImage(staticSize, QImage::Format_RGB32);
    rendered.image.fill(Qt::white);
    {
        QPainter painter(&rendered.image);
        CQtHtmlMetrics metrics;
        CTeeSink sink(painter);
        rendered.size = DrawToastSample(metrics, sink, strMarkup, staticSize.width());
        rendered.list = sink.m_List;
    }
    QDir().mkpath(QStringLiteral(ZELKOR_TEST_OUTPUT_DIR));
    rendered.image.save(QStringLiteral(ZELKOR_TEST_OUTPUT_DIR "/%1").arg(QLatin1String(pszFile)));
    return rendered;
}

void ExpectRunsMeasuredAsDrawn(const SRendered& rendered)
{
    ASSERT_FALSE(rendered.list.Commands().empty());
    std::vector<QRect> vecBoxes;
    for (const HtmlDrawCommand& command : rendered.list.Commands()) {
        if (command.eKind != HtmlDrawCommand::Kind::Text) {
            continue;
        }
        const HtmlTextRun& run = command.run;
        const double dDrawn =
            QFontMetricsF(QtHtmlFont(run.font)).horizontalAdvance(QtHtmlText(run.strText));
        EXPECT_EQ(run.nWidth, static_cast<int>(std::ceil(dDrawn - 1e-6)))
            << HtmlToUtf8(run.strText);
        vecBoxes.push_back(QRect(run.nX, run.nY, run.nWidth, run.nHeight).adjusted(-2, -2, 2, 2));
    }
    // Every inked pixel lies in a run's box: nothing drawn past a measured end.
    int nInk = 0;
    int nOutside = 0;
    for (int y = 0; y < rendered.image.height(); ++y) {
        for (int x = 0; x < rendered.image.width(); ++x) {
            if (qGray(rendered.image.pixel(x, y)) > 230) {
                continue;
            }
            ++nInk;
            const QPoint point(x, y);
            if (std::none_of(vecBoxes.begin(), vecBoxes.end(),
                             [&](const QRect& box) { return box.contains(point); })) {
                ++nOutside;
            }
        }
    }
    EXPECT_GT(nInk, 100);
    EXPECT_EQ(nOutside, 0);
}

class QtHtmlAdapterTest : public ::testing::Test
{
protected:
    testsupport::CTempProgramFolder m_Folder;
    SToastSamples m_Samples = PrintFailToastSamples();
};

TEST_F(QtHtmlAdapterTest, ToastTitle)
{
    const SRendered rendered = Render(m_Samples.strTitle, QSize(260, 25), "toast-title.png");
    ExpectRunsMeasuredAsDrawn(rendered);
    // Bold blue "미르벨": some pixels near #2F76DE.
    int nBlue = 0;
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 80; ++x) {
            const QColor colour(rendered.image.pixel(x, y));
            nBlue += (colour.blue() > 180 && colour.red() < 90) ? 1 : 0;
        }
    }
    EXPECT_GT(nBlue, 30);
    EXPECT_LE(rendered.size.nHeight, 25);
}

TEST_F(QtHtmlAdapterTest, ToastOrderBodyFitsTheBodyStatic)
{
    const SRendered rendered =
        Render(m_Samples.strOrderBody, QSize(270, 140), "toast-body-order.png");
    ExpectRunsMeasuredAsDrawn(rendered);
    EXPECT_LE(rendered.size.nHeight, 140);
    EXPECT_LE(rendered.size.nWidth, 270);
}

TEST_F(QtHtmlAdapterTest, ToastSalesBody)
{
    const SRendered rendered =
        Render(m_Samples.strSalesBody, QSize(270, 140), "toast-body-sales.png");
    ExpectRunsMeasuredAsDrawn(rendered);
}

// Stands in for the desktop's browser: records the addresses
// QDesktopServices hands over for the schemes it is registered for.
class CUrlRecorder : public QObject
{
    Q_OBJECT
public:
    std::vector<QUrl> m_vecOpened;

public slots:
    void Open(const QUrl& url) { m_vecOpened.push_back(url); }
};

class QtHtmlLinkTest : public ::testing::Test
{
protected:
    QtHtmlLinkTest()
    {
        for (const char* pszScheme : SCHEMES) {
            QDesktopServices::setUrlHandler(QLatin1String(pszScheme), &m_Recorder, "Open");
        }
    }
    ~QtHtmlLinkTest() override
    {
        for (const char* pszScheme : SCHEMES) {
            QDesktopServices::unsetUrlHandler(QLatin1String(pszScheme));
        }
    }

    static constexpr const char* SCHEMES[] = {"http", "https", "file", "ftp", "javascript"};
    CUrlRecorder m_Recorder;
};

// Web addresses go to the desktop through QDesktopServices; anything else is
// refused before it reaches the desktop, and nothing else is tried.
TEST_F(QtHtmlLinkTest, OnlyWebAddressesAreHandedOn)
{
    struct SCase
    {
        std::u32string_view strTarget;
        const char* pszOpened; // nullptr: refused
    };
    const SCase cases[] = {
        {U"https://example.kr/user?id=7", "https://example.kr/user?id=7"},
        {U"HTTP://EXAMPLE.KR/A", "http://example.kr/A"},
        {U"file:///etc/passwd", nullptr},
        {U"ftp://example.kr", nullptr},
        {U"javascript:alert(1)", nullptr},
        {U"notepad.exe \"%1\"", nullptr},
        {U"https://exa mple.kr", nullptr},
        {U"https://example.kr\" --new-window file:///etc", nullptr},
    };
    for (const SCase& c : cases) {
        m_Recorder.m_vecOpened.clear();
        EXPECT_EQ(OpenHtmlLink(std::u32string(c.strTarget)), c.pszOpened != nullptr)
            << HtmlToUtf8(c.strTarget);
        if (c.pszOpened == nullptr) {
            EXPECT_TRUE(m_Recorder.m_vecOpened.empty()) << HtmlToUtf8(c.strTarget);
            continue;
        }
        ASSERT_EQ(m_Recorder.m_vecOpened.size(), 1u) << HtmlToUtf8(c.strTarget);
        EXPECT_EQ(m_Recorder.m_vecOpened[0].toString(), QLatin1String(c.pszOpened));
    }
}

} // namespace

#include "qt_html_adapter_test.moc"
