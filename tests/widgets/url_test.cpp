#include "widgets/url.h"

#include "tests/support/recordingopener.h"

#include <gtest/gtest.h>

namespace {

TEST(URLTest, PutsTheSchemeInFrontAndReportsTheDesktopsAnswer)
{
    RecordingOpener opener;
    TURL link;
    link.setOpener(&opener);
    link.setURL("example.org/quellan");
    EXPECT_TRUE(link.OpenURL());
    EXPECT_EQ(opener.addresses.last(), "http://example.org/quellan");

    const std::pair<TURL::TURLType, QString> cases[] = {
        {TURL::utFile, "file://"}, {TURL::utFtp, "ftp://"},     {TURL::utGopher, "gopher://"},
        {TURL::utHttp, "http://"}, {TURL::utHttps, "https://"}, {TURL::utMailto, "mailto:"},
        {TURL::utNews, "news:"},   {TURL::utTelnet, "telnet:"}, {TURL::utWais, "wais:"},
        {TURL::utnone, ""},
    };
    for (const auto &[type, prefix] : cases) {
        link.setURLType(type);
        EXPECT_TRUE(link.OpenURL());
        EXPECT_EQ(opener.addresses.last(), prefix + "example.org/quellan");
    }

    opener.result = false;
    EXPECT_FALSE(link.OpenURL());
}

TEST(URLTest, OpensTheTextAsItStandsWithoutCheckingForAScheme)
{
    RecordingOpener opener;
    TURL link;
    link.setOpener(&opener);
    link.setURL("http://example.org/");
    link.OpenURL();
    link.setURLType(TURL::utnone);
    link.OpenURL();
    EXPECT_EQ(opener.addresses, QStringList({"http://http://example.org/", "http://example.org/"}));
}

TEST(URLTest, EmptyAddressOpensNothing)
{
    RecordingOpener opener;
    TURL link;
    link.setOpener(&opener);
    link.setURLType(TURL::utnone);
    EXPECT_FALSE(link.OpenURL());
    EXPECT_TRUE(opener.addresses.isEmpty());
}

TEST(URLTest, DesktopRefusesAnAddressItHasNoProgramFor)
{
    TURL link;
    link.setURLType(TURL::utnone);
    link.setURL("quellan-no-such-scheme:test");
    EXPECT_FALSE(link.OpenURL());
    EXPECT_FALSE(SystemDesktopOpener().open("quellan-no-such-scheme:test"));
}

} // namespace
