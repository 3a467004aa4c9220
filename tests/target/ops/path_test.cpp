// Paths as the installer takes them apart and judges them: the one walk over a path's
// names, and the one form of a full path, forms and verdicts in one table each.
#include "ops_fixture.h"

namespace {

// The names the walk gives from an offset, each with the path up to its end.
TEST(PathWalk, EachNameWithTheHeadOfThePathUpToIt)
{
    const struct {
        const char* path;
        int from;
        std::vector<std::string> names, heads;
    } kForms[] = {
        { "C:\\a\\b", 3, { "a", "b" }, { "C:\\a", "C:\\a\\b" } },
        { "C:\\a\\", 3, { "a", "" }, { "C:\\a", "C:\\a\\" } },
        { "C:\\", 3, { "" }, { "C:\\" } },
        { "a\\\\b", 0, { "a", "", "b" }, { "a", "a\\", "a\\\\b" } },
        { "", 0, { "" }, { "" } },
    };
    for (const auto& form : kForms) {
        SCOPED_TRACE(form.path);
        std::vector<std::string> names, heads;
        for (CPathWalk walk(form.path, form.from); walk.Next();) {
            names.push_back(std::string(walk.Name(), walk.End()));
            heads.push_back(std::string(walk.Head()));
            EXPECT_EQ(!*walk.End(), walk.IsLast() != FALSE);
        }
        EXPECT_EQ(form.names, names);
        EXPECT_EQ(form.heads, heads);
    }
}

// The one form of a full local path, and a bare name: what passes and what does not.
TEST(PathForms, CanonicalPathsAndBareNames)
{
    const struct {
        const char* text;
        bool canonical, bare;
    } kForms[] = {
        { "C:\\Program Files\\Merolin", true, false }, { "z:\\a", true, false },
        { "C:\\", false, false },                    { "C:", false, false },
        { "C:\\a\\", false, false },                   { "C:\\a\\\\b", false, false },
        { "C:\\a\\.\\b", false, false },               { "C:\\a\\..\\b", false, false },
        { "C:\\a.", false, false },                    { "C:\\a ", false, false },
        { "C:/a", false, false },                      { "C:\\a/b", false, false },
        { "\\\\?\\C:\\a", false, false },             { "\\\\server\\share\\a", false, false },
        { "C:\\a:b", false, false },                   { "C:\\a|b", false, false },
        { "a\\b", false, false },                      { "1:\\a", false, false },
        { "Merolin.exe", false, true },                { "Merolin.\\..\\x", false, false },
        { ".", false, true },                          { "..", false, true },
        { "", false, false },                          { "a/b", false, false },
    };
    for (const auto& form : kForms) {
        SCOPED_TRACE(form.text);
        EXPECT_EQ(form.canonical, IsCanonicalPath(form.text) != FALSE);
        EXPECT_EQ(form.bare, IsBareName(form.text) != FALSE);
    }
    EXPECT_FALSE(IsCanonicalPath(("C:\\" + std::string(MAX_PATH, 'a')).c_str()));
}

} // namespace
