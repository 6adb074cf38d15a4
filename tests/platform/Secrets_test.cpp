#include "platform/Secrets.h"

#include <gtest/gtest.h>

namespace orvane::platform {
namespace {

TEST(Secrets, PasswordValuesAreHiddenInEveryForm) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"login failed for DSN=x;UID=u;PWD={a;b}}c};X=1", "login failed for DSN=x;UID=u;PWD=***;X=1"},
        {"Provider=X;Password=my pass;User ID=u", "Provider=X;Password=***;User ID=u"},
        {"Password = \"a;b\"\"c\";Data Source=d", "Password = ***;Data Source=d"},
        {"PASSWORD='x y';z", "PASSWORD=***;z"},
        {"cnnString=\"Provider=X;Pwd=&quot;q;r&quot;;Y=1\" Internal=\"0\"",
         "cnnString=\"Provider=X;Pwd=***;Y=1\" Internal=\"0\""},
        {"cnnString=\"Provider=X;PWD=abc\" Internal=\"0\"", "cnnString=\"Provider=X;PWD=***\" Internal=\"0\""},
        {"Jet OLEDB:Database Password=k9;", "Jet OLEDB:Database Password=***;"},
        {"line one PWD=s1\r\nline two", "line one PWD=***\r\nline two"},
        {"Password={unterminated", "Password=***"},
        {"Password=\"unterminated", "Password=***"},
        {"PWD=", "PWD=***"},
        {"XPWD=kept;my_password=kept;Passwords=kept;PWD kept", "XPWD=kept;my_password=kept;Passwords=kept;PWD kept"},
    };
    for (const Case& c : cases) EXPECT_EQ(ScrubPasswords(c.in), c.out) << c.in;
}

TEST(Secrets, KnownSecretsAreHiddenWhereverTheyAppear) {
    EXPECT_EQ(ScrubPasswords("user u with hunter2 refused", {"hunter2"}), "user u with *** refused");
    EXPECT_EQ(ScrubPasswords("a b", {"", "b"}), "a ***");
}

}  // namespace
}  // namespace orvane::platform
