// A draw sink that records what is drawn, for tests, goldens and the fuzz
// target; one line of text per command.
#pragma once

#include "ui/html/html_seam.h"

#include <string>
#include <vector>

struct HtmlDrawCommand
{
    enum class Kind
    {
        Text,
        Line,
        Fill
    };
    Kind eKind = Kind::Text;
    HtmlTextRun run;       // Text
    HtmlRect rect;         // Fill; Line: (x1, y1) - (x2, y2) in left/top/right/bottom
    int nLineWidth = 0;    // Line
    COLORREF crColour = 0; // Line, Fill
};

class CHtmlDrawList : public IHtmlDrawSink
{
public:
    void DrawTextRun(const HtmlTextRun& run) override;
    void DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour) override;
    void FillRect(const HtmlRect& rect, COLORREF crColour) override;

    const std::vector<HtmlDrawCommand>& Commands() const { return m_vecCommands; }
    void Clear() { m_vecCommands.clear(); }

    // UTF-8, one command a line:
    //   text X,Y WxH size=S weight=W [underline] [italic] colour=#RRGGBB face="F" "TEXT"
    //   line X1,Y1-X2,Y2 width=N colour=#RRGGBB
    //   fill X,Y WxH colour=#RRGGBB
    std::string ToText() const;

private:
    std::vector<HtmlDrawCommand> m_vecCommands;
};

// "#RRGGBB" of a COLORREF.
std::string HtmlColourText(COLORREF crColour);
