// SPDX-License-Identifier: GPL-3.0-or-later
// Reading club files: settings, dancer lines, cards, partners and the messages for bad data.
#include <gtest/gtest.h>

#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {

class ReadClub : public ClubFileTest {};

const char* kClub =
    "% The Maple Leaf Squares\n"
    "club=The Maple Leaf Squares\n"
    "caller=Orin Quill\n"
    "pgm=Main\n"
    "squaresize=7\n"
    "noask\n"
    "dispnamestyle=lastfi\n"
    "scrollerincrchg=-3\n"
    "RfidWarn\n"
    "Statistics\n"
    "%         PR         INFO       SKIPTIP\n"
    "Alder   Brook  m M 7 1 Plus  +0000001001 &   Briar Brook\n"
    "Briar   Brook  f L 2 1 Plus  +0000001002 &   Alder Brook\n"
    "Cedar   Fen   mf L 0 A main                            \n"
    "Dell    Gorse fm L 0 a A2    +0000001004 &    Elm Hollow\n"
    "Elm     Hollow  e L 0 U C3B                & Dell Gorse\n"
    "Fern    Isle   f L 0 0 basic\n";

TEST_F(ReadClub, SettingsAndDancersOfAHandWrittenFile) {
    outputfilename = "maple.dorvel";
    ReadText(kClub);
    EXPECT_EQ(clubname, "The Maple Leaf Squares");
    EXPECT_EQ(caller, "Orin Quill");
    EXPECT_EQ(pgmfloor, Main);
    EXPECT_EQ(squaresize, 8);  // odd sizes round up
    EXPECT_EQ(askflag, 0);
    EXPECT_EQ(dispnamestyle, LASTFI);
    EXPECT_EQ(scrollerincrchg, -3);
    EXPECT_EQ(Rflag, 1);
    EXPECT_EQ(Sflag, 1);
    EXPECT_EQ(outputfilename, "maple.dorvel");
    ASSERT_EQ(RosterCount(), 6);

    SqrDancer* alder = Find("Alder Brook");
    SqrDancer* briar = Find("Briar Brook");
    SqrDancer* cedar = Find("Cedar Fen");
    SqrDancer* dell = Find("Dell Gorse");
    SqrDancer* elm = Find("Elm Hollow");
    SqrDancer* fern = Find("Fern Isle");
    ASSERT_TRUE(alder && briar && cedar && dell && elm && fern);

    EXPECT_EQ(alder->sex, M);
    EXPECT_EQ(alder->priority, MUST);
    EXPECT_EQ(alder->dances, 0);  // counts in the file are discarded
    EXPECT_EQ(alder->pgm, Plus);
    EXPECT_EQ(alder->rfid, 1001u);
    EXPECT_EQ(alder->partner, briar);
    EXPECT_EQ(briar->partner, alder);
    EXPECT_EQ(briar->sex, F);
    EXPECT_EQ(briar->priority, LUCK);
    EXPECT_EQ(briar->dances, 0);
    // A present couple shows as one entry: its M member.
    EXPECT_EQ(alder->display, 1);
    EXPECT_EQ(briar->display, 0);

    EXPECT_EQ(cedar->sex, MF);
    EXPECT_EQ(cedar->avail, 1);  // "A"
    EXPECT_EQ(cedar->pgm, Main);
    EXPECT_EQ(cedar->rfid, 0u);
    EXPECT_EQ(cedar->partner, nullptr);

    // Present dancer with an absent partner dances single; the absent one keeps its link.
    EXPECT_EQ(dell->sex, FM);
    EXPECT_EQ(dell->avail, 1);  // "a"
    EXPECT_EQ(dell->pgm, A2);
    EXPECT_EQ(dell->partner, nullptr);
    EXPECT_EQ(dell->display, 1);
    EXPECT_EQ(elm->avail, 0);  // "U"
    EXPECT_EQ(elm->partner, dell);
    EXPECT_EQ(elm->pgm, C3B);  // upper case folded before the level is looked up
    EXPECT_EQ(elm->sex, E);

    EXPECT_EQ(fern->avail, 0);
    EXPECT_EQ(fern->pgm, Basic);

    // The card table and the name trie lead to the dancers.
    EXPECT_EQ(RfidFind(1001), alder);
    EXPECT_EQ(RfidFind(1004), dell);
    int how = 0;
    EXPECT_EQ(NameTrieFind("Fern", "Isle", &how), fern);
    EXPECT_EQ(how, 1);
    // Display names rebuilt in the file's style.
    EXPECT_EQ(alder->dispname, "BrookA");
    EXPECT_TRUE(screen::warnings.empty());
}

TEST_F(ReadClub, ClubLineDerivesTheOutputNameAndAddsToTheRoster) {
    ReadText("club=The Happy Squares\nAnn Ash m L 0 1 Basic\n");
    EXPECT_EQ(outputfilename, "squares.dorvel");
    // A second read adds to the roster and replaces the command cards.
    speccard[0] = 77;
    ReadText("Bea Birch f L 0 1 Basic\n");
    EXPECT_EQ(RosterCount(), 2);
    EXPECT_EQ(speccard[0], 0u);
}

TEST_F(ReadClub, KeyLinesOnlyAndTheirVariants) {
    ReadText("squaresize=10\nask\nscrollerincrchg=5\ncaller=Pip Lark % a remark\n"
             "dispnamestyle=firstli\n");
    EXPECT_EQ(squaresize, 10);
    EXPECT_EQ(askflag, 1);
    EXPECT_EQ(scrollerincrchg, 5);
    EXPECT_EQ(caller, "Pip Lark % a remark");  // a comment after a key is part of the value
    EXPECT_EQ(dispnamestyle, FIRSTLI);
    EXPECT_EQ(RosterCount(), 0);

    ReadText("dispnamestyle=firstname\n");
    EXPECT_EQ(dispnamestyle, FIRSTNAME);
    ReadText("dispnamestyle=lastname\n");
    EXPECT_EQ(dispnamestyle, LASTNAME);
    ReadText("dispnamestyle=sideways\n");
    EXPECT_EQ(dispnamestyle, LASTNAME);  // unknown style: unchanged
}

TEST_F(ReadClub, UnknownLevelOnPgmLineKeepsThePreviousLevel) {
    pgmfloor = Plus;
    ReadText("pgm=Mainstream\n");
    EXPECT_EQ(pgmfloor, Plus);
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "unsupported pgm<Mainstream>\n");
    ReadText("pgm=  A1\n");
    EXPECT_EQ(pgmfloor, A1);
}

TEST_F(ReadClub, BadFieldsAreReportedAndDefaulted) {
    ReadText("Gil Heath x L 0 1 Plus\n"
             "Ivy Jade f Q 0 1 Plus\n"
             "Kit Lane m L 0 1 Mainstream\n");
    ASSERT_EQ(RosterCount(), 3);
    EXPECT_EQ(lasterror, "Gil Heath: unknown sex<x> (accepts M F MF FM E)\n");
    EXPECT_EQ(Find("Gil Heath")->sex, E);
    EXPECT_EQ(Find("Ivy Jade")->priority, LUCK);
    EXPECT_EQ(Find("Kit Lane")->pgm, Plus);
    ASSERT_EQ(screen::warnings.size(), 2u);
    EXPECT_EQ(screen::warnings[0], "unsupported priority<Q>\n");
    EXPECT_EQ(screen::warnings[1], "unsupported pgm<mainstream>\n");
}

TEST_F(ReadClub, SquareSizeOutOfRangeIsIgnored) {
    for (const char* bad : {"squaresize=0", "squaresize=-4", "squaresize=2147483647",
                            "squaresize=99999999999999999999", "squaresize=eight"}) {
        squaresize = 8;
        ReadText(std::string(bad) + "\n");
        EXPECT_EQ(squaresize, 8) << bad;
    }
    ReadText("squaresize=1\n");
    EXPECT_EQ(squaresize, 2);
}

TEST_F(ReadClub, PartnerNamedOnOneLineOnlyIsLinkedBothWays) {
    ReadText("Mo Nash m L 0 1 Basic & Nell Nash\n"
             "Nell Nash f L 0 1 Basic\n"
             "Olly Park m L 0 1 Basic\n"
             "Pia Park f L 0 1 Basic & Olly Park\n");
    SqrDancer* mo = Find("Mo Nash");
    SqrDancer* nell = Find("Nell Nash");
    SqrDancer* olly = Find("Olly Park");
    SqrDancer* pia = Find("Pia Park");
    EXPECT_EQ(mo->partner, nell);
    EXPECT_EQ(nell->partner, mo);
    EXPECT_EQ(olly->partner, pia);
    EXPECT_EQ(pia->partner, olly);
    EXPECT_EQ(nell->display + mo->display, 1);
    EXPECT_EQ(olly->display + pia->display, 1);
}

TEST_F(ReadClub, ConflictingPartnersStayMutual) {
    // Rex names Sue, Sue names Tom: the last line decides, and Rex is left single.
    ReadText("Rex Ray m L 0 1 Basic & Sue Sun\n"
             "Sue Sun f L 0 1 Basic & Tom Tay\n"
             "Tom Tay m L 0 1 Basic\n"
             "Uma Vale f L 0 1 Basic & Uma Vale\n");
    SqrDancer* rex = Find("Rex Ray");
    SqrDancer* sue = Find("Sue Sun");
    SqrDancer* tom = Find("Tom Tay");
    EXPECT_EQ(rex->partner, nullptr);
    EXPECT_EQ(sue->partner, tom);
    EXPECT_EQ(tom->partner, sue);
    EXPECT_EQ(Find("Uma Vale")->partner, nullptr);  // never its own partner
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->partner) {
            EXPECT_EQ(sd->partner->partner, sd);
        }
    }
}

TEST_F(ReadClub, CoupleOfTwoEitherRolesShowsExactlyOneEntry) {
    ReadText("Ada Elm e L 0 1 Basic & Bo Elm\nBo Elm e L 0 1 Basic & Ada Elm\n"
             "Cy Fir f L 0 1 Basic & Di Fir\nDi Fir fm L 0 1 Basic & Cy Fir\n");
    EXPECT_EQ(Find("Ada Elm")->display + Find("Bo Elm")->display, 1);
    EXPECT_EQ(Find("Cy Fir")->display + Find("Di Fir")->display, 1);
}

TEST_F(ReadClub, UnknownPartnerIsReported) {
    ReadText("Vic Wren m L 0 1 Basic +0000000042 & Zed Zulu\n");
    SqrDancer* vic = Find("Vic Wren");
    EXPECT_EQ(vic->partner, nullptr);
    EXPECT_EQ(vic->rfid, 42u);  // the card before the partner still counts
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_EQ(screen::warnings[0], "2nd pass: unable to find square dancer named<Zed Zulu>\n");
}

TEST_F(ReadClub, PartnerFoundOnlyByLastNameIsPassedOver) {
    ReadText("Wes Yew m L 0 1 Basic & Xena Yew\nYara Yew f L 0 1 Basic\n");
    EXPECT_EQ(Find("Wes Yew")->partner, nullptr);
    EXPECT_EQ(Find("Yara Yew")->partner, nullptr);
    EXPECT_TRUE(screen::warnings.empty());
}

TEST_F(ReadClub, CommentsInTheSecondPass) {
    ReadText("Abe Cole m L 0 1 Basic % +0000000005 & Bess Cole\n"
             "Bess Cole f L 0 1 Basic\n"
             "  % indented comment\n\n   \n");
    EXPECT_EQ(RosterCount(), 2);
    EXPECT_EQ(Find("Abe Cole")->rfid, 0u);
    EXPECT_EQ(Find("Abe Cole")->partner, nullptr);
}

TEST_F(ReadClub, NamesHoldingSpecialCharactersKeepTheirLines) {
    // Names are words as they stand: "+", "&" and "%" inside them do not start a field.
    ReadText("Jo+1 B&B m L 0 1 Basic +0000000009 & Ma%y Ro+2\n"
             "Ma%y Ro+2 f L 0 1 Basic & Jo+1 B&B\n");
    SqrDancer* jo = Find("Jo+1 B&B");
    SqrDancer* may = Find("Ma%y Ro+2");
    ASSERT_TRUE(jo && may);
    EXPECT_EQ(jo->rfid, 9u);
    EXPECT_EQ(jo->partner, may);
    EXPECT_EQ(may->partner, jo);
    EXPECT_EQ(may->rfid, 0u);
}

TEST_F(ReadClub, TwoDancersOfTheSameNameKeepTheirOwnCards) {
    ReadText("Lee Moss m L 0 1 Basic +0000000001\nLee Moss f L 0 1 Basic +0000000002\n");
    ASSERT_EQ(RosterCount(), 2);
    EXPECT_EQ(sdhd->rfid, 1u);
    EXPECT_EQ(sdtl->rfid, 2u);
    EXPECT_EQ(RfidFind(1), sdhd);
    EXPECT_EQ(RfidFind(2), sdtl);
}

TEST_F(ReadClub, ACardBelongsToOneDancerOnly) {
    ReadText("Ann Oak m L 0 1 Basic +0000000007\nBen Oak f L 0 1 Basic +0000000007\n");
    EXPECT_EQ(Find("Ann Oak")->rfid, 7u);
    EXPECT_EQ(Find("Ben Oak")->rfid, 0u);
    EXPECT_EQ(RfidFind(7), Find("Ann Oak"));
    // Deleting the second dancer must not take the first one's card out of the table.
    DelDancer(Find("Ben Oak"));
    EXPECT_EQ(RfidFind(7), Find("Ann Oak"));
}

TEST_F(ReadClub, AnonymousNumbersRaiseTheCounters) {
    ReadText("Anon Couple#004 m L 0 1 Basic & Anon2 Couple#004\n"
             "Anon2 Couple#004 f L 0 1 Basic & Anon Couple#004\n"
             "Anon Sngl#007 f L 0 1 Basic\n"
             "Anon Sngl#002 mf L 0 1 Basic\n");
    EXPECT_EQ(anoncnt, 7);
    EXPECT_EQ(anoncounts[5], 4);
    EXPECT_EQ(anoncounts[F], 7);
    EXPECT_EQ(anoncounts[MF], 2);
    EXPECT_EQ(anoncounts[M], 0);
}

TEST_F(ReadClub, SpecCardLineWidths) {
    auto line = [](int n, uint64_t base) {
        std::string s = "speccard=";
        for (int i = 0; i < n; ++i) s += strprintf(" %010llu", (unsigned long long)(base + i));
        return s + "\n";
    };
    ReadText(line(22, 100));
    for (int i = 0; i < SPECCARDQTY; ++i) EXPECT_EQ(speccard[i], 100u + i);

    // 19 numbers: written before the two skip-tip cards existed.
    ReadText(line(19, 100));
    EXPECT_EQ(speccard[0], 100u);
    EXPECT_EQ(speccard[1], 101u);
    EXPECT_EQ(speccard[2], 0u);
    EXPECT_EQ(speccard[3], 0u);
    for (int i = 2; i <= 18; ++i) EXPECT_EQ(speccard[i + 2], 100u + i);
    EXPECT_EQ(speccard[21], 0u);

    ReadText(line(21, 100));
    for (int i = 0; i < 21; ++i) EXPECT_EQ(speccard[i], 100u + i);
    EXPECT_EQ(speccard[21], 0u);

    ReadText(line(40, 100));
    for (int i = 0; i < SPECCARDQTY; ++i) EXPECT_EQ(speccard[i], 100u + i);

    ReadText(line(0, 100));
    for (int i = 0; i < SPECCARDQTY; ++i) EXPECT_EQ(speccard[i], 0u);
    EXPECT_EQ(RosterCount(), 0);
}

TEST_F(ReadClub, Latin1NamesAreConvertedToUtf8) {
    // "Jos\xe9 M\xfcller" in Latin-1; "Zo\xc3\xab" is already UTF-8 and stays as it is.
    ReadText("caller=Ren\xe9\n"
             "Jos\xe9 M\xfcller m L 0 1 Basic & Zo\xc3\xab M\xfcller\n"
             "Zo\xc3\xab M\xfcller f L 0 1 Basic & Jos\xe9 M\xfcller\n"
             "Bad \xed\xa0\x80x m L 0 1 Basic\n");
    EXPECT_EQ(caller, "Ren\xc3\xa9");
    SqrDancer* jose = Find("Jos\xc3\xa9 M\xc3\xbcller");
    SqrDancer* zoe = Find("Zo\xc3\xab M\xc3\xbcller");
    ASSERT_TRUE(jose && zoe);
    EXPECT_EQ(jose->partner, zoe);
    EXPECT_EQ(jose->dispname, "M\xc3\xbcller J");  // told apart from his wife by the initial
    // An encoded surrogate is not UTF-8: its bytes are taken one by one as Latin-1.
    EXPECT_NE(Find("Bad \xc3\xad\xc2\xa0\xc2\x80x"), nullptr);
}

TEST_F(ReadClub, RecordKeyTogglesRecording) {
    ReadText("Record\n");
    ASSERT_NE(rflag, nullptr);
    EXPECT_EQ(access("dorvels.record000", F_OK), 0);
    ReadText("Record\n");
    EXPECT_EQ(rflag, nullptr);
}

TEST_F(ReadClub, CrlfLinesAndTrailingBlanks) {
    ReadText("club=Crlf Club \r\nAmy Dale f L 0 1 Plus +0000000003  \r\n");
    EXPECT_EQ(clubname, "Crlf Club");
    SqrDancer* amy = Find("Amy Dale");
    ASSERT_NE(amy, nullptr);
    EXPECT_EQ(amy->pgm, Plus);
    EXPECT_EQ(amy->rfid, 3u);
}

}  // namespace

namespace {

class SampleClub : public ClubFileTest {};

TEST_F(SampleClub, ReadsCleanlyAndIsWrittenBackByteForByte) {
    const std::string path = std::string(DORVELS_TESTDATA) + "/sample.dorvel";
    const std::string original = ReadFile(path);
    ASSERT_FALSE(original.empty());
    WriteFile("sample.dorvel", original);
    outputfilename = inputfilename = "sample.dorvel";
    FILE* fp = fopen("sample.dorvel", "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    EXPECT_TRUE(screen::warnings.empty());
    EXPECT_EQ(RosterCount(), 40);
    EXPECT_EQ(clubname, "The Merry Muddle Squares");
    EXPECT_EQ(pgmfloor, Main);
    int absent = 0, must = 0, cards = 0, couples = 0, below = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        absent += !sd->avail;
        must += sd->priority == MUST;
        cards += sd->rfid != 0;
        couples += sd->partner != nullptr;
        below += sd->pgm < pgmfloor;
    }
    EXPECT_EQ(absent, 4);
    EXPECT_GE(must, 3);
    EXPECT_GE(cards, 10);
    EXPECT_GE(couples, 20);
    EXPECT_GE(below, 4);
    SortByName();
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("sample.dorvel"), original);
}

}  // namespace
