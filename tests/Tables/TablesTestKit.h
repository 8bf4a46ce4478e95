#pragma once
// Helpers of the table tests: the message of a failure, a temporary folder,
// files read and written byte for byte, an open tried by another process,
// and the goods layout the tests store.

#include "TempFolder.h"
#include "UBaseFld.h"
#include "UException.h"
#include "UFields.h"
#include "UFile.h"
#include "UMoneyFld.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tv::testkit {

// What MessageOf gives when the action raised nothing.
inline const std::string kNoFailure = "<no exception>";

// The engine's fixed text of a failure: without the file and the reason
// that a file's failure carries after it.
inline std::string FixedText(const Exception& e)
{
    const auto* file = dynamic_cast<const EFileError*>(&e);
    return file ? file->Text() : e.Message();
}

// The fixed text of the tv::Exception the action raises, or kNoFailure.
inline std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return FixedText(e);
    }
    return kNoFailure;
}

// A fresh private temporary folder, removed with everything in it at the end.
class TempDir {
public:
    std::string Path(const std::string& name) const { return FFolder.Path() + "/" + name; }

private:
    TTempFolder FFolder{"tv_tables_"};
};

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Exit code of a forked child that tries to open the file: 0 refused with
// the open message, 1 opened, 2 any other outcome.
inline int OpenInChild(const std::string& path)
{
    pid_t pid = fork();
    if (pid == 0) {
        int code = 2;
        try {
            TFile f;
            f.SetFileName(path);
            f.Open(false);
            code = 1;
        } catch (const Exception& e) {
            code = FixedText(e) == "Ошибка открытия файла" ? 0 : 2;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Goods as the table tests store them: integer key "Id", a string "Name" of
// the given width, a money field of the given name.
struct TGoodsFields {
    TIntegerField Id;
    TStringField Name;
    TMoneyField Price;
    TFields Fields{{&Id, &Name, &Price}};

    TGoodsFields(int32_t nameWidth, const std::string& priceName) : Name(nameWidth)
    {
        Id.SetName("Id");
        Id.SetPrimaryKey(true);
        Name.SetName("Name");
        Price.SetName(priceName);
    }

    // Name and price of the values the fields hold.
    void Set(const std::string& name, uint32_t price)
    {
        Fields.AllowEdit();
        Name.SetText(name);
        Price.SetValue(price);
        Fields.ForbidEdit();
    }

    // A new record: the fields cleared, the next key value taken, then Set.
    void SetNew(const std::string& name, uint32_t price)
    {
        Fields.Clear();
        Fields.ApplyKeyValues();
        Set(name, price);
    }
};

} // namespace tv::testkit
