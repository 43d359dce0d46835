// The inputs the html-markup fuzz target once broke on
// (tests/data/fuzz-regressions/html-markup): each laid out at the target's
// wrap widths keeps every run inside the wrap width.
#include "ui/html/fixed_advance_metrics.h"
#include "ui/html/html_draw_list.h"
#include "ui/html/html_drawer.h"
#include "ui/html/html_text.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(HtmlFuzzRegressionTest, RunsStayInsideTheWrapWidth)
{
    const std::filesystem::path dir =
        std::filesystem::path(ZELKOR_TEST_DATA_DIR) / "fuzz-regressions" / "html-markup";
    int nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        const std::string strInput = content.str();
        ASSERT_GE(strInput.size(), 2u);
        ++nFiles;
        // The markup after the target's two choice bytes.
        const std::u32string strMarkup = HtmlFromUtf8(std::string_view(strInput).substr(2));
        for (int nWrap : {1, 37, 1000000}) {
            CFixedAdvanceMetrics metrics;
            CHtmlDrawer drawer;
            drawer.SetStyleRule(U"body", U"font-size:12px; color:0x000000; font-family:verdana");
            drawer.SetWrapWidth(nWrap);
            const HtmlSize size = drawer.MeasureHtml(metrics, strMarkup);
            CHtmlDrawList list;
            drawer.DrawHtml(metrics, list, strMarkup, {0, 0, nWrap, size.nHeight});
            EXPECT_LE(size.nWidth, nWrap + 1);
            for (const HtmlDrawCommand& command : list.Commands()) {
                const HtmlTextRun& run = command.run;
                if (command.eKind == HtmlDrawCommand::Kind::Text && run.strText.size() > 1) {
                    EXPECT_LE(run.nX + run.nWidth, nWrap)
                        << entry.path().filename() << " \"" << HtmlToUtf8(run.strText) << "\"";
                }
            }
        }
    }
    EXPECT_GT(nFiles, 0);
}

} // namespace
