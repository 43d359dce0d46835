// The settings dialog's and the connection panel's log lines, kept in the
// CP949 core because their texts are Korean (the Qt units hold no Korean
// narrow literal). Each takes the control id the user pressed.
#pragma once

#include <string>
#include <vector>

// A button of the settings dialog: the printer and page tabs, the count
// buttons (nPrinter: the current printer, nValue: the new count), the size
// and yes/no buttons, test, save and close.
void LogSettingClick(int nControlId, int nPrinter, int nValue);

// A button of the connection panel named strPanel.
void LogPanelClick(const std::string& strPanel, int nControlId);

// The panel's serial list being rebuilt: the candidates, each one added
// or skipped. Returns the names to list, in order (the rules of the skip
// list: a skipped port stays when it is the one to select and bSkipMode
// is 0, so a stored configuration shows as stored).
std::vector<std::string> FilterSerialPortList(const std::string& strPanel,
                                              const std::vector<std::string>& vCandidates,
                                              const std::vector<std::string>& vSkip,
                                              const std::string& strSelect, int bSkipMode);

// The other printer's serial port going into a skip list.
void LogSkipPortAdded(int nCurrent, int nOther, const std::string& strPort, bool bAtLoad);

// "[%s] PaymentUse : %d OrderSheetUse : %d" of the two count groups.
void LogCountUse(const char* pszTag, int nPaymentUse, int nOrderSheetUse);

// The spooler list being rebuilt for strPanel.
void LogSpoolerList(const std::string& strPanel, const std::string& strSelect,
                    const std::vector<std::string>& vNames);

// The text of the box after a save whose file write failed.
std::string SaveWriteFailedText();
// "%d칸" of a line-feed entry.
std::string LineFeedText(int nLines);
