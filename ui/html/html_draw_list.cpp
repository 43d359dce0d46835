// A draw sink that records what is drawn.
#include "ui/html/html_draw_list.h"

#include "ui/html/html_text.h"

#include <cstdio>

void CHtmlDrawList::DrawTextRun(const HtmlTextRun& run)
{
    HtmlDrawCommand command;
    command.eKind = HtmlDrawCommand::Kind::Text;
    command.run = run;
    m_vecCommands.push_back(std::move(command));
}

void CHtmlDrawList::DrawLine(int nX1, int nY1, int nX2, int nY2, int nWidth, COLORREF crColour)
{
    HtmlDrawCommand command;
    command.eKind = HtmlDrawCommand::Kind::Line;
    command.rect = {nX1, nY1, nX2, nY2};
    command.nLineWidth = nWidth;
    command.crColour = crColour;
    m_vecCommands.push_back(command);
}

void CHtmlDrawList::FillRect(const HtmlRect& rect, COLORREF crColour)
{
    HtmlDrawCommand command;
    command.eKind = HtmlDrawCommand::Kind::Fill;
    command.rect = rect;
    command.crColour = crColour;
    m_vecCommands.push_back(command);
}

std::string HtmlColourText(COLORREF crColour)
{
    char szColour[8];
    std::snprintf(szColour, sizeof(szColour), "#%02X%02X%02X", HtmlRed(crColour),
                  HtmlGreen(crColour), HtmlBlue(crColour));
    return szColour;
}

std::string CHtmlDrawList::ToText() const
{
    std::string strOut;
    char szLine[160];
    for (const HtmlDrawCommand& command : m_vecCommands) {
        switch (command.eKind) {
        case HtmlDrawCommand::Kind::Text: {
            const HtmlTextRun& run = command.run;
            std::snprintf(szLine, sizeof(szLine), "text %d,%d %dx%d size=%d weight=%d%s%s", run.nX,
                          run.nY, run.nWidth, run.nHeight, run.font.nPixelSize, run.font.nWeight,
                          run.font.bUnderline ? " underline" : "",
                          run.font.bItalic ? " italic" : "");
            strOut += szLine;
            strOut += " colour=" + HtmlColourText(run.crColour) + " face=\"" +
                      HtmlToUtf8(run.font.strFace) + "\" \"" + HtmlToUtf8(run.strText) + "\"\n";
            break;
        }
        case HtmlDrawCommand::Kind::Line:
            std::snprintf(
                szLine, sizeof(szLine), "line %d,%d-%d,%d width=%d colour=", command.rect.nLeft,
                command.rect.nTop, command.rect.nRight, command.rect.nBottom, command.nLineWidth);
            strOut += szLine + HtmlColourText(command.crColour) + "\n";
            break;
        case HtmlDrawCommand::Kind::Fill:
            std::snprintf(szLine, sizeof(szLine), "fill %d,%d %dx%d colour=", command.rect.nLeft,
                          command.rect.nTop, command.rect.Width(), command.rect.Height());
            strOut += szLine + HtmlColourText(command.crColour) + "\n";
            break;
        }
    }
    return strOut;
}
