// What the program and the setup share in showing an escaped exception: the
// class names, the class-and-address text, and the catching application.

#include "UException.h"
#include "UExceptGuard.h"

#include <QEvent>
#include <QTimer>
#include <QtTest>

#include <stdexcept>
#include <string>
#include <vector>

using namespace tv;

namespace {

struct TCaught {
    QObject* Receiver = nullptr;
    std::string Message;
};

// Records what the guard hands over, as the program's and the setup's handlers would use it.
class TRecordingApplication : public TGuardedApplication {
public:
    using TGuardedApplication::TGuardedApplication;
    std::vector<TCaught> Caught;

protected:
    void HandleException(QObject* receiver, const std::exception_ptr& exception) override
    {
        TCaught caught{receiver, {}};
        try {
            std::rethrow_exception(exception);
        } catch (const std::exception& e) {
            caught.Message = e.what();
        } catch (...) {
            caught.Message = "?";
        }
        Caught.push_back(caught);
    }
};

TRecordingApplication* App() { return static_cast<TRecordingApplication*>(QCoreApplication::instance()); }

class TThrowingObject : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) throw EConvertError("'x' is not a valid integer value");
        if (e->type() == QEvent::User + 1) throw 7;
        return QObject::event(e);
    }
};

} // namespace

class TestQExceptGuard : public QObject {
    Q_OBJECT

private slots:
    void init() { App()->Caught.clear(); }

    void classNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("className");
        QTest::newRow("own class keeps its own name") << 0 << "EConvertError";
        QTest::newRow("standard class reads as written") << 1 << "std::out_of_range";
        QTest::newRow("own base class") << 2 << "Exception";
    }

    void classNames()
    {
        QFETCH(int, kind);
        QFETCH(QString, className);
        try {
            if (kind == 0) throw EConvertError("m");
            if (kind == 1) throw std::out_of_range("m");
            throw Exception("m");
        } catch (const std::exception& e) {
            QCOMPARE(QString::fromStdString(ExceptionClassName(e)), className);
        }
    }

    void typeNames()
    {
        QCOMPARE(TypeName(&typeid(int)), std::string("int"));
        QCOMPARE(TypeName(&typeid(std::vector<int>)), std::string("std::vector<int, std::allocator<int> >"));
        QCOMPARE(TypeName(nullptr), std::string());
    }

    void classAtAddress_data()
    {
        QTest::addColumn<qulonglong>("address");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero is eight zeros") << qulonglong(0) << "E :00000000";
        QTest::newRow("short is padded, upper case") << qulonglong(0x4a3c) << "E :00004A3C";
        QTest::newRow("wide keeps every digit") << qulonglong(0x55d0c0ffee12) << "E :55D0C0FFEE12";
    }

    void classAtAddress()
    {
        QFETCH(qulonglong, address);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(ClassAtAddress("E", static_cast<std::uintptr_t>(address))), text);
    }

    void throwingHandlerCountsAsNotHandled()
    {
        TThrowingObject object;
        QEvent user(QEvent::User);
        QVERIFY(!QCoreApplication::sendEvent(&object, &user));
        QEvent other(QEvent::Type(QEvent::User + 1));
        QVERIFY(!QCoreApplication::sendEvent(&object, &other));
        QCOMPARE(App()->Caught.size(), size_t(2));
        QCOMPARE(App()->Caught[0].Receiver, &object);
        QCOMPARE(App()->Caught[0].Message, std::string("'x' is not a valid integer value"));
        QCOMPARE(App()->Caught[1].Message, std::string("?"));
    }

    void loopGoesOnAfterAThrowingTimer()
    {
        bool laterRan = false;
        QTimer::singleShot(0, [] { throw std::runtime_error("timer failed"); });
        QTimer::singleShot(20, [&] { laterRan = true; });
        QTRY_VERIFY(laterRan);
        QCOMPARE(App()->Caught.size(), size_t(1));
        QCOMPARE(App()->Caught[0].Message, std::string("timer failed"));
    }
};

int main(int argc, char** argv)
{
    TRecordingApplication app(argc, argv);
    TestQExceptGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestQExceptGuard.moc"
