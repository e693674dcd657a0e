#include "platform/text/WordNet.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace klipo;
using platform::WordNet;

namespace {

void write(const QString& path, const QByteArray& text)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// A data file in the dictionary's format (a licence header, then one line per
// synset that starts with its own byte offset) and the offsets of its synsets.
QByteArray dataFile(const QList<QByteArray>& glosses, QList<qint64>& offsets)
{
    QByteArray text = "  1 This software and database is being provided\n  2 without warranty.\n";
    for (const QByteArray& gloss : glosses) {
        offsets << text.size();
        text += QByteArray::number(text.size()).rightJustified(8, '0') + " 03 n 01 word 0 000 | " + gloss + "  \n";
    }
    return text;
}

QByteArray offset(qint64 value) { return QByteArray::number(value).rightJustified(8, '0'); }

}  // namespace

// A small dictionary in the documented layout: the licence lines before the
// sorted entries, words at both ends of the index, irregular and regular
// inflections, several parts of speech weighed by how often their first sense
// was seen, quoted examples dropped.
TEST(WordNet, define_FindsTheMostFrequentSenseOfTheWordOrItsBaseForm)
{
    const QString dir = test::freshDir("wordnet");
    QList<qint64> n;
    write(dir + "/data.noun", dataFile({"a small yellow fruit; \"she ate an apricot\"",
                                        "a domesticated carnivorous mammal; \"the dog barked all night\"",
                                        "a bright light; a lamp", "(zoology) the last entry", "a hand tool"},
                                       n));
    write(dir + "/index.noun", "  1 This software and database is being provided\n  2 without warranty.\n"
                               "apricot n 1 0 1 0 " + offset(n[0]) + "  \n"
                               "dog n 2 1 @ 2 1 " + offset(n[1]) + " " + offset(n[2]) + "  \n"
                               "light n 1 0 1 0 " + offset(n[2]) + "  \n"
                               "mouse n 1 0 1 0 " + offset(n[1]) + "  \n"
                               "saw n 1 0 1 0 " + offset(n[4]) + "  \n"
                               "zymurgy n 1 0 1 0 " + offset(n[3]) + "  \n");
    write(dir + "/noun.exc", "geese goose\nmice mouse\n");
    QList<qint64> v;
    write(dir + "/data.verb", dataFile({"make light; \"light a fire\"", "perceive by sight", "cut with a saw"}, v));
    write(dir + "/index.verb", "  1 licence\n"
                               "light v 1 0 1 0 " + offset(v[0]) + "  \n"
                               "saw v 1 0 1 0 " + offset(v[2]) + "  \n"
                               "see v 1 0 1 0 " + offset(v[1]) + "  \n");
    write(dir + "/verb.exc", "saw see\n");
    write(dir + "/cntlist.rev", "light%1:19:00:: 1 46\nlight%2:30:00:: 1 12\nlight%2:30:01:: 2 90\n"
                                "see%2:39:00:: 1 613\n");

    WordNet wordNet(dir);
    ASSERT_TRUE(wordNet.isInstalled());
    const auto define = [&](const QString& word) { return wordNet.define(word); };

    EXPECT_EQ(define("apricot").definition.text(), "n. a small yellow fruit");
    EXPECT_EQ(define("Zymurgy").definition.text(), "n. (zoology) the last entry");
    EXPECT_EQ(define("dog").definition.text(), "n. a domesticated carnivorous mammal");
    // Only first senses count: light's second verb sense does not outweigh the noun.
    EXPECT_EQ(define("light").definition.text(), "n. a bright light; a lamp");
    // Irregular and regular inflections reach their base form.
    EXPECT_EQ(define("mice").definition.lemma, "mouse");
    EXPECT_EQ(define("lights").definition.text(), "n. a bright light; a lamp");
    EXPECT_EQ(define("apricots").definition.lemma, "apricot");
    // A form found as written wins over a base form, unless it was never seen.
    EXPECT_EQ(define("dogs").definition.lemma, "dog");
    EXPECT_EQ(define("saw").definition.text(), "v. perceive by sight");
    // Nothing is made up for an unknown word, whichever end of the file it would sort to.
    EXPECT_EQ(define("aardvark").status, WordNet::Lookup::Status::notFound);
    EXPECT_EQ(define("zzz").status, WordNet::Lookup::Status::notFound);
    EXPECT_EQ(define("geese").status, WordNet::Lookup::Status::notFound);  // its base is not in the index
    EXPECT_EQ(define("  ").status, WordNet::Lookup::Status::notFound);

    // An index that points into the middle of a line is a damaged dictionary, not a gloss.
    write(dir + "/index.adj", "broken a 1 0 1 0 " + offset(n[1] + 3) + "  \n");
    QFile::copy(dir + "/data.noun", dir + "/data.adj");
    const WordNet::Lookup broken = WordNet(dir).define("broken");
    EXPECT_EQ(broken.status, WordNet::Lookup::Status::failed);
    EXPECT_FALSE(broken.error.isEmpty());

    EXPECT_FALSE(WordNet(test::freshDir("no-wordnet")).isInstalled());
    EXPECT_EQ(WordNet(test::freshDir("no-wordnet")).define("dog").status, WordNet::Lookup::Status::notFound);
}
