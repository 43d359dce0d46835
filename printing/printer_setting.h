// The process-wide printer settings store: both printers' connection
// records, copy counts, text sizes, print options and the daily wait
// number, loaded from and saved to [PRINTER] and [ORDER] of Config.ini.
#pragma once

#include "foundation/ini_file.h"
#include "foundation/tesk_critical_section.h"

#include <cstddef>
#include <string>
#include <vector>

constexpr int MAX_PRINTER_COUNT = 2;

// Text-size codes of the size settings.
enum EPrintSize
{
    E_PRINT_SIZE_LARGE = 0,
    E_PRINT_SIZE_NORMAL = 1,
    E_PRINT_SIZE_SMALL = 2,
};

// One printer's connection record; a plain record copied whole in and out.
// Text fields are NUL-terminated CP949; use SetPrintInfoText to fill them so
// that an over-long value is cut to the field.
class CIniSnapshot;

struct PrintInfo
{
    int Use = 0;      // 1: prints kitchen order sheets
    int Rcp = 0;      // 1: prints customer and delivery receipts
    int PortType = 0; // 0 serial, 1 network, 2 spooler
    char Name[64] = {};
    int Port = 0; // serial COM number
    int BaudRate = 0;
    char Portname[20] = {}; // "COMn", or a name containing LPT
    char LanPrintIP[64] = {};
    int LanPrintPort = 0;
    char UsbName[260] = {}; // spooler printer name
    int LineFeed = 0;       // line feeds before each cut
    // 1: the paper sensor is asked (DLE EOT 4) before and after each job on
    // serial and network printers; 0 for a printer that must not get it.
    int StatusCheck = 1;
};

// Copies pszText into a fixed field of nFieldSize bytes, NUL-terminated.
// Text that does not fit is cut at the last whole character (a two-byte
// CP949 character is never split), so the field never overflows.
void SetPrintInfoText(char* pszField, size_t nFieldSize, const char* pszText);

template <size_t N>
void SetPrintInfoText(char (&szField)[N], const std::string& strText)
{
    SetPrintInfoText(szField, N, strText.c_str());
}

class CPrinterSetting
{
public:
    CPrinterSetting();
    virtual ~CPrinterSetting() = default;
    CPrinterSetting(const CPrinterSetting&) = delete;
    CPrinterSetting& operator=(const CPrinterSetting&) = delete;

    // Full path of Config.ini; every file operation works on it.
    void SetConfigFilePath(const char* pszPath);
    std::string GetConfigFilePath();

    // Loads / saves everything. 1, or 0 without a path (or, on save, when
    // the file could not be written). bKeepDate: a day roll-over during the
    // load does not move the last date.
    // Loading also removes the temporary files of Config.ini that a killed
    // writer left behind.
    // Both write every key with one atomic replace of the file.
    int ReadFilePrintInfo(int bKeepDate);
    int WriteFilePrintInfo();
    // [PRINTER] alone, for the settings dialog: [ORDER] (the wait numbers)
    // belongs to the event worker, which may have handed out numbers that
    // a reload or a write of [ORDER] from here would put back.
    int ReadFilePrinterSection();
    int WriteFilePrinterSection();

    // Record operations: 1, or 0 for a missing buffer or an index of
    // MAX_PRINTER_COUNT or more (nothing copied then).
    int GetPrintInfoForIndex(int nIndex, PrintInfo* pInfo);
    int SetPrintInfoForIndex(int nIndex, const PrintInfo* pInfo);
    // pInfo points at an array of MAX_PRINTER_COUNT records.
    int GetPrintInfoForAll(PrintInfo* pInfo);

    // 1 for 48-column paper, otherwise 0 (42 columns). Read from the file only.
    int GetPrintLineType();

    int GetPrintCnt();
    void SetPrintCnt(int nValue);
    int GetDeliveryPrintCnt();
    void SetDeliveryPrintCnt(int nValue);
    int GetPickupPaymentPrintCnt();
    void SetPickupPaymentPrintCnt(int nValue);
    int GetDeliveryPaymentPrintCnt();
    void SetDeliveryPaymentPrintCnt(int nValue);
    int GetPrintOrigin();
    void SetPrintOrigin(int nValue);
    int GetPrintOptiongroup();
    void SetPrintOptiongroup(int nValue);
    int GetReqCustomerSize();
    void SetReqCustomerSize(int nValue);
    int GetReqDelivererSize();
    void SetReqDelivererSize(int nValue);
    int GetMenunameSize();
    void SetMenunameSize(int nValue);
    int GetOriginSize();
    void SetOriginSize(int nValue);

    // Start number (first wait number of a day) in memory.
    int GetOrderStartWaitNo();
    void SetOrderStartWaitNo(int nValue);

    // [ORDER] keys. 1, or 0 without a path; the readers also give 0 when
    // the file does not exist, keeping the value in memory.
    int ReadFileOrderStartWaitNo();
    int WriteFileOrderStartWaitNo();
    int ReadFileOrderCurrentWaitNo(int bKeepDate);
    // bSync 0: the file holds the number when the call returns (a crash of
    // the process cannot lose it), and SyncConfigFile makes it durable.
    int WriteFileOrderCurrentWaitNo(int bSync = 1);
    int ReadFileOrderLastDate();
    int WriteFileOrderLastDate();
    // Syncs Config.ini to the disk after unsynced writes. 1, or 0 (logged).
    int SyncConfigFile();

    int GetOrderCurrentWaitNo();
    std::string GetOrderLastDate();

    // Sets the wait number in use with the day roll-over: on the day of the
    // last date, nNumber but never below the start number; on any other day
    // the start number, and (unless bKeepDate) today becomes the last date.
    // The result is written to the file, unless bWriteNumber is 0: then the
    // caller writes the number itself with WriteFileOrderCurrentWaitNo (a
    // roll-over's date is written all the same). Returns 1.
    int SetOrderCurrentWaitNo(int nNumber, int bKeepDate, int bWriteNumber = 1);
    // The day roll-over alone: when today is not the last date, the start
    // number and today's date are set and written (1); otherwise nothing is
    // touched (0), so an order of the same day costs no file write.
    int RollOverOrderDay();

    // "출력" for 1, otherwise "출력안함".
    static std::string GetPrintUseText(int nValue);
    // "기본" for 1, "작게" for 2, otherwise "크게".
    static std::string GetPrintSizeText(int nSize);

private:
    // Copy of the path, or "" (the caller logs "Not Setting").
    std::string ConfigPath();
    // Path when it is set and the file exists; logs and returns "" otherwise.
    std::string ExistingConfigPath(const char* pszMethod);
    void ReadPrinterRecord(const CIniSnapshot& config, int nPrinter);
    void AddPrinterRecordEntries(std::vector<SIniEntry>& vEntries, int nPrinter);
    std::vector<SIniEntry> PrinterSectionEntries();
    int WriteEntries(const std::vector<SIniEntry>& vEntries, const char* pszMethod);

    static int GetGuarded(CTeskCriticalSection& lock, const int& nValue);
    static void SetGuarded(CTeskCriticalSection& lock, int& nValue, int nNew);

    CTeskCriticalSection m_csCurrentWaitNo;
    int m_nCurrentWaitNo = 1;
    CTeskCriticalSection m_csPrintOrigin;
    int m_nPrintOrigin = 1;
    CTeskCriticalSection m_csPrintOptiongroup;
    int m_nPrintOptiongroup = 1;
    CTeskCriticalSection m_csPrintLineType;
    int m_nPrintLineType = 0;
    CTeskCriticalSection m_csPrintCnt;
    int m_nPrintCnt = 1;
    CTeskCriticalSection m_csDeliveryPrintCnt;
    int m_nDeliveryPrintCnt = 1;
    CTeskCriticalSection m_csDeliveryPaymentPrintCnt;
    int m_nDeliveryPaymentPrintCnt = 1;
    CTeskCriticalSection m_csPickupPaymentPrintCnt;
    int m_nPickupPaymentPrintCnt = 1;
    CTeskCriticalSection m_csPrintInfo;
    PrintInfo m_PrintInfo[MAX_PRINTER_COUNT];
    CTeskCriticalSection m_csReqCustomerSize;
    int m_nReqCustomerSize = 0;
    CTeskCriticalSection m_csReqDelivererSize;
    int m_nReqDelivererSize = 0;
    CTeskCriticalSection m_csMenunameSize;
    int m_nMenunameSize = 1;
    CTeskCriticalSection m_csOriginSize;
    int m_nOriginSize = 2;

    // The file path, the start number and the last date: reached from the
    // dialog's thread and the event worker alike.
    CTeskCriticalSection m_csOrderFile;
    std::string m_strConfigFilePath;
    int m_nStartWaitNo = 1;
    std::string m_strLastDate;
};

// The one store of the process, constructed on first use.
CPrinterSetting& PrinterSetting();
