#include "shared/message_board/password_masking.h"

#include <gtest/gtest.h>

namespace {

struct masking_case {
    const char* text;
    const char* shown;
};

const masking_case masking_cases[] = {
    {"Provider=SQLOLEDB.1;User ID=scanner;Password=secret;Initial Catalog=Lumotrax",
     "Provider=SQLOLEDB.1;User ID=scanner;Password=****;Initial Catalog=Lumotrax"},
    {"DSN=lumotrax_q;UID=scanner;PWD=secret", "DSN=lumotrax_q;UID=scanner;PWD=****"},
    {"pwd=secret;uid=a", "pwd=****;uid=a"},
    {"PASSWORD = secret ; x=1", "PASSWORD = ****; x=1"},
    {"Driver={FreeTDS};PWD={se;c}}ret};Database=x", "Driver={FreeTDS};PWD=****;Database=x"},
    {"Password='a;''b';Data Source=x", "Password=****;Data Source=x"},
    {"Password=\"a;b\";Data Source=x", "Password=****;Data Source=x"},
    {"PWD={never closed;Database=x", "PWD=****"},
    {"Password=one;X=1;pwd=two", "Password=****;X=1;pwd=****"},
    {"Cannot connect with Password=secret: login failed", "Cannot connect with Password=****"},
    {"Password=", "Password=****"},
    {"OldPassword=kept;UserPwd=kept", "OldPassword=kept;UserPwd=kept"},
    {"Password expired for user scanner", "Password expired for user scanner"},
    {"no secret here", "no secret here"},
};

TEST(password_masking, values_of_password_keys_are_hidden) {
    for (const masking_case& c : masking_cases)
        EXPECT_EQ(board::mask_passwords(QString::fromUtf8(c.text)), QString::fromUtf8(c.shown))
            << c.text;
}

} // namespace
