// Made with tools/scramble: quor-scramble KEY TEXT prints the stored text.
// The plain wording of each text is pinned in tests/about/const_test.cpp.
#include "about/Quor_Const.h"

#include "about/Quor_Unscramble.h"

const StoredText kMainCaption = {"LYP8xNdgn3v4oD9zohO9dTE1AB3lWzQCF6AlwwP2Yao8", 1718939};

const StoredText kUpdateCheckAddress = {"j0H87pFO3RmFmlMQ1lCn2DV0YEqH1JLt4UIHAslXysKJWs3+t2QyDuaqqA==",
                                        90210733};

const StoredText kSiteAddress = {"CL9sltRQvMI34+0YpBQmf+aimz4uDh0=", -40440123};

const std::array<StoredText, kAboutLineCount> kAboutLines = {{
    {"jR0W6Fm4wcfcXaz/rlMamSw=", 30517},
    {"AEypujE4dVpoVzANRT02FHHvKZfAmIJKldV6pioH4otEYy3NgTMpH12m/LZaqRnFCw==", 482117},
    {"tBwM3iDD+u8xduFal9YjHQ34qaeYwAaJLToo6B7+BXiI8Fz37Hu3pRuyE26RLz0=", 7702193},
    {"1scFiEXkTn53KTAF6PudgSsiTlyVh6q+3DLpPSqUcbrH8fju16gQ821EklMPYvYP", -1234567},
    {"KAF/EBi2rWMQ+eXE2JqpjRFWPNXD5PjeUjA2/xMGPP4MYCFio3ZpFqUBQ96sew0=", 55555001},
    {"MNh2WvZ3tKWvvzDIp0ymLQYWLO3DVLu+b2GwcBBXpuis6A4I+kwhFgA=", 613},
    {"DRc9BE+RadBfHqjJCDrvmVNHjY+jMLF7ssUjlV30wU7EDdq2CQhgkQ/KkQ==", 98765432},
    {"lTo/zIchf+z1wMpMpQwP7BUoPuYlDLW5tYWsjnIsFCOkxe/8Z59H", -8080801},
    {"PjyxcGZnHgHSgmIwwRhpEcsG3ov8HSBmyiE4QB7P", 271828183},
    {"SAK8xTiVE2KNXdtPF4q2jhFttTkEZPg=", -31415926},
}};

std::string Unscramble(const StoredText& stored) { return UnscrambleText(stored.text, stored.key); }
