#include "Platform/Log/PlatformException.h"
#include "Platform/Net/JsonValue.h"

#include <QTest>

Q_DECLARE_METATYPE(JsonValue::Kind)

namespace {

// Wraps a scalar in an array, since a bare scalar is not a document.
JsonValue firstElement(const QByteArray& scalar)
{
    const auto document = JsonValue::parse("[" + scalar + "]");
    if (!document || document->elements().size() != 1) {
        qFatal("not a one-element array: %s", scalar.constData());
    }
    return document->elements().front();
}

QStringList keysOf(const JsonValue& object)
{
    QStringList keys;
    for (const auto& member : object.members()) {
        keys << member.first;
    }
    return keys;
}

} // namespace

class TestJsonValue : public QObject
{
    Q_OBJECT

private slots:
    void parsesKinds_data()
    {
        QTest::addColumn<QByteArray>("scalar");
        QTest::addColumn<JsonValue::Kind>("kind");
        QTest::newRow("null") << QByteArray("null") << JsonValue::Kind::Null;
        QTest::newRow("true") << QByteArray("true") << JsonValue::Kind::Bool;
        QTest::newRow("false") << QByteArray(" false ") << JsonValue::Kind::Bool;
        QTest::newRow("zero") << QByteArray("0") << JsonValue::Kind::Number;
        QTest::newRow("one is not bool") << QByteArray("1") << JsonValue::Kind::Number;
        QTest::newRow("text") << QByteArray("\"true\"") << JsonValue::Kind::String;
        QTest::newRow("array") << QByteArray("[]") << JsonValue::Kind::Array;
        QTest::newRow("object") << QByteArray("{ }") << JsonValue::Kind::Object;
    }
    void parsesKinds()
    {
        QFETCH(QByteArray, scalar);
        QFETCH(JsonValue::Kind, kind);
        QCOMPARE(firstElement(scalar).kind(), kind);
    }

    void rejectsInvalid_data()
    {
        QTest::addColumn<QByteArray>("document");
        // What is ours to decide: the top level and numbers beyond double.
        const char* cases[][2] = {
            {"empty", ""},
            {"bare number", "1"},
            {"bare text", "\"x\""},
            {"overflow", "[1e400]"},
        };
        for (const auto& row : cases) {
            QTest::newRow(row[0]) << QByteArray(row[1]);
        }
    }
    void rejectsInvalid()
    {
        QFETCH(QByteArray, document);
        QVERIFY(!JsonValue::parse(document));
    }

    void limitsNesting_data()
    {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QByteArray>("close");
        QTest::addColumn<int>("repeats");
        QTest::addColumn<bool>("valid");
        QTest::newRow("512 levels of arrays") << QByteArray("[") << QByteArray("]") << 512 << true;
        QTest::newRow("513 levels of arrays") << QByteArray("[") << QByteArray("]") << 513 << false;
        QTest::newRow("512 levels with objects") << QByteArray("{\"k\":[") << QByteArray("]}") << 256 << true;
        QTest::newRow("514 levels with objects") << QByteArray("{\"k\":[") << QByteArray("]}") << 257 << false;
        QTest::newRow("siblings within 512 levels") << QByteArray("[{},[],") << QByteArray("]") << 511 << true;
        QTest::newRow("100000 levels") << QByteArray("[") << QByteArray("]") << 100000 << false;
        QTest::newRow("100000 unclosed") << QByteArray("[") << QByteArray() << 100000 << false;
    }
    void limitsNesting()
    {
        QFETCH(QByteArray, open);
        QFETCH(QByteArray, close);
        QFETCH(int, repeats);
        QFETCH(bool, valid);
        // Hostile depth must be refused, not overflow the stack.
        QCOMPARE(JsonValue::parse(open.repeated(repeats) + "0" + close.repeated(repeats)).ok(), valid);
    }

    void keepsKeyOrder()
    {
        const auto object = JsonValue::parse("{\"z\":1,\"a\":\"two\",\"m\":[3]}");
        QVERIFY(object && object->isObject());
        QCOMPARE(keysOf(*object), QStringList({"z", "a", "m"}));
        QCOMPARE(object->member("a")->toText(), QString("two"));
        QVERIFY(!object->member("missing"));
        QVERIFY(!object->member("m")->member("0"));
        QVERIFY(object->member("m")->members().empty());
    }

    void replacesDuplicateKeys_data()
    {
        QTest::addColumn<int>("fillers");
        QTest::newRow("small object") << 1;
        QTest::newRow("large object") << 40;
    }
    void replacesDuplicateKeys()
    {
        QFETCH(int, fillers);
        QByteArray document = "{\"dup\":1";
        QStringList expectedKeys{"dup"};
        for (int i = 0; i < fillers; ++i) {
            document += ",\"k" + QByteArray::number(i) + "\":" + QByteArray::number(i);
            expectedKeys << "k" + QString::number(i);
        }
        document += ",\"dup\":2,\"k0\":\"again\"}";
        const auto object = JsonValue::parse(document);
        QVERIFY(object);
        QCOMPARE(keysOf(*object), expectedKeys);
        QCOMPARE(object->member("dup")->toNumber(), 2.0);
        QCOMPARE(object->member("k0")->toText(), QString("again"));
    }

    void truthValue_data()
    {
        QTest::addColumn<QByteArray>("scalar");
        QTest::addColumn<bool>("truth");
        const std::pair<const char*, bool> cases[] = {
            {"true", true},     {"false", false},         {"0", false},         {"-0.0", false},   {"0.5", true},
            {"-2", true},       {"\"0\"", false},         {"\"00\"", false},    {"\"007\"", true}, {"\"-1\"", true},
            {"\" yes\"", true}, {"\"\\n\\tTrue\"", true}, {"\"no\"", false},    {"\"\"", false},   {"\"0.5\"", false},
            {"\"+0x\"", false}, {"\"+-1\"", false},       {"\"false\"", false}, {"\"9\"", true},   {"\"  \"", false},
        };
        for (const auto& [scalar, truth] : cases) {
            QTest::newRow(scalar) << QByteArray(scalar) << truth;
        }
    }
    void truthValue()
    {
        QFETCH(QByteArray, scalar);
        QFETCH(bool, truth);
        QCOMPARE(firstElement(scalar).truthValue(), truth);
    }

    void wrongKindRaises_data()
    {
        QTest::addColumn<QByteArray>("scalar");
        QTest::addColumn<QString>("textReason");
        QTest::addColumn<bool>("hasTruth");
        QTest::newRow("number") << QByteArray("1") << "value is a number, not text" << true;
        QTest::newRow("bool") << QByteArray("true") << "value is a boolean, not text" << true;
        QTest::newRow("null") << QByteArray("null") << "value is null, not text" << false;
        QTest::newRow("array") << QByteArray("[\"a\"]") << "value is an array, not text" << false;
        QTest::newRow("object") << QByteArray("{}") << "value is an object, not text" << false;
    }
    void wrongKindRaises()
    {
        QFETCH(QByteArray, scalar);
        QFETCH(QString, textReason);
        QFETCH(bool, hasTruth);
        const JsonValue value = firstElement(scalar);
        try {
            value.toText();
            QFAIL("toText accepted a non-string");
        } catch (const PlatformException& e) {
            QCOMPARE(e.name(), QString("NSInvalidArgumentException"));
            QCOMPARE(e.reason(), textReason);
        }
        if (!hasTruth) {
            QVERIFY_THROWS_EXCEPTION(PlatformException, value.truthValue());
        }
        if (!value.isNumber()) {
            QVERIFY_THROWS_EXCEPTION(PlatformException, value.toNumber());
        }
    }

    void describesNestedObject()
    {
        const auto object = JsonValue::parse("{\"zeta\":1.5,\"download_url\":\"https://x/"
                                             "y.dmg\",\"inner\":{\"\":true,\"list\":[null,\"a b\",false]},\"no\":{}}");
        QVERIFY(object);
        QCOMPARE(object->description(), QString("{\n"
                                                "    zeta = 1.5;\n"
                                                "    \"download_url\" = \"https://x/y.dmg\";\n"
                                                "    inner = {\n"
                                                "        \"\" = 1;\n"
                                                "        list = (\n"
                                                "            <null>,\n"
                                                "            \"a b\",\n"
                                                "            0\n"
                                                "        );\n"
                                                "    };\n"
                                                "    no = {\n"
                                                "    };\n"
                                                "}"));
    }
};

QTEST_GUILESS_MAIN(TestJsonValue)
#include "tst_jsonvalue.moc"
