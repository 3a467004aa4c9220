// The command line's switches, edge by edge, in one table.
#include "command_line.h"
#include <gtest/gtest.h>

TEST(CommandLine, EverySwitchAndItsEdges)
{
    // S silent, U usage, R remove, B bad; the log file and target directory (nullptr: not looked at).
    const struct { const char* args; const char* flags; const char* log; const char* dir; } cases[] = {
        { "", "", "", "" },                       { " \t ", "", "", "" },
        { "/S", "S", "", "" },                    { "\t/s  ", "S", "", "" },
        { "/?", "U", "", "" },                    { "/S /?", "SU", "", "" },
        { "/D=C:\\Program Files\\Merolin", "", "", "C:\\Program Files\\Merolin" },
        { "/s /d=C:\\My  Apps\\M \t ", "S", "", "C:\\My  Apps\\M" },
        // a directory the installer would refuse: relative, on a share, a name the system
        // changes, or a switch behind it (the rest of the line is the directory's)
        { "/S /D=Merolin", "SB", "", nullptr },  { "/S /D=\\\\server\\share\\Merolin", "SB", "", nullptr },
        { "/S /D=C:\\Apps\\Merolin.", "SB", "", nullptr }, { "/S /D=C:\\A /LOG=C:\\x.log", "SB", "", nullptr },
        { "/D=C:Merolin", "B", "", nullptr },    { "/D=1:\\Merolin", "B", "", nullptr },
        // a bare root, a device's name as a component; one separator at the end is dropped
        { "/S /D=C:\\", "SB", "", nullptr },     { "/S /D=C:\\Apps\\M\\ ", "S", "", "C:\\Apps\\M" },
        { "/D=C:\\CON", "B", "", nullptr },      { "/D=C:\\A\\com7.log\\M", "B", "", nullptr },
        { "/D=C:\\A\\Nul.txt", "B", "", nullptr }, { "/D=C:\\A\\CLOCK$", "B", "", nullptr },
        { "/D=C:\\Console\\LPT\\COM10", "", "", "C:\\Console\\LPT\\COM10" },
        { "/LOG=C:\\setup.log /S", "S", "C:\\setup.log", "" },
        { "/log=\"C:\\My Logs\\a.log\" /D=D:\\A", "", "C:\\My Logs\\a.log", "D:\\A" },
        { "/LOG=a.log /LOG=b.log", "", "b.log", "" },
        { "/LOG=", "B", "", "" },                 { "/LOG=\"\"", "B", "", "" },
        { "/LOG=\"C:\\My Logs\\a.log", "B", "", "" },
        { "/LOG=\"a\"b", "B", "", "" },           { "/LOG", "B", "", "" },
        // a bad command line names its log unless that is the bad part; a switch in quotes is the same
        { "/LOG=a.log /X", "B", "a.log", "" },    { "/LOG=a.log /LOG=\"\"", "B", "", "" }, { "\"/S", "B", "", "" },
        { "\"/LOG=C:\\My Logs\\setup.log\" \"/S\"", "S", "C:\\My Logs\\setup.log", "" }, { "\"/LOG=\"", "B", "", "" },
        { "\"/s\" \"/?\"", "SU", "", "" }, { "\"/D=C:\\Program Files\\M\"  ", "", "", "C:\\Program Files\\M" },
        { "\"/D=C:\\A\" /S", "B", "", nullptr }, { "\"/D=", "B", "", nullptr }, { "\"/S\"x", "B", "", "" },
        { "\"", "B", "", "" },                    { "\"\"", "B", "", "" },
        { "/D=", "B", "", "" },                   { "/D=  ", "B", "", "" },
        { "/D=\"C:\\A B\"", "B", "", nullptr },  { "/S /X", "SB", "", "" },
        { "/SS", "B", "", "" },                   { "-S", "B", "", "" },
        { "/S/D=C:\\A", "B", "", "" },           { "/??", "B", "", "" },
        { "/remove \"/S\"", "SR", "", "" }, { "\"/REMOVE\" /D=C:\\A", "RB", "", nullptr }, { "/REMOVES", "B", "", "" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("arguments: ") + c.args);
        CCommandLine cmd;
        cmd.Parse(c.args);
        EXPECT_EQ(std::string(c.flags), std::string(cmd.m_options.m_bSilent ? "S" : "") + (cmd.m_bUsage ? "U" : "") +
                                            (cmd.m_options.m_bRemove ? "R" : "") + (cmd.m_bBad ? "B" : ""));
        EXPECT_EQ(cmd.m_options.m_bSilent, cmd.m_options.m_bAllUsers);  // a silent run is for the machine
        if (c.log)
            EXPECT_STREQ(c.log, cmd.m_options.m_strLogFile);
        if (c.dir)
            EXPECT_STREQ(c.dir, cmd.m_options.m_strTargetDir);
    }
    // The longest directory that the version library can expand the payload into.
    for (int n : { 115, 116 }) {
        CCommandLine cmd;
        cmd.Parse(("/D=C:\\" + std::string(n - 3, 'a')).c_str());
        EXPECT_EQ(n == 116, !!cmd.m_bBad) << n;
    }
}
