// A temporary program folder for one test: ZELKOR_HOME points at it while
// the object lives; the log can be started into its Log/NubeqLog folder.
#pragma once

#include <string>

namespace testsupport {

class CTempProgramFolder
{
public:
    CTempProgramFolder();
    ~CTempProgramFolder();
    CTempProgramFolder(const CTempProgramFolder&) = delete;
    CTempProgramFolder& operator=(const CTempProgramFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string File(const std::string& strName) const { return m_strPath + "/" + strName; }

    // Writes a file in the folder (bytes as given, CP949 as the program keeps them).
    void WriteFile(const std::string& strName, const std::string& strContent) const;
    std::string ReadFile(const std::string& strName) const;

    // Creates Log/NubeqLog and starts the process-wide log there.
    bool StartLog() const;
    std::string LogRoot() const { return m_strPath + "/Log/NubeqLog"; }
    // The whole content of the log file that is open now.
    std::string ReadCurrentLog() const;

private:
    std::string m_strPath;
    std::string m_strOldHome;
    bool m_bHadHome = false;
};

// Reads a whole file ("" when missing).
std::string ReadWholeFile(const std::string& strPath);

} // namespace testsupport
