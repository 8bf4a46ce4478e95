#pragma once
// An INI file held whole in memory.
//
// The file is UTF-8 text of sections ("[name]") and keys ("key=value").
// Sections and keys keep the order of the file; a new section goes to the
// end of the file, a new key to the end of its section. Names compare
// without regard to the case of ASCII letters. Lines that are neither a
// section nor a key (comments, stray text) are kept in place; empty lines
// are dropped. UpdateFile writes, for each section, its header, its lines
// and one empty line, every line ending with CR LF.
//
// Not safe for use from two threads at once; the owner locks.

#include <string>
#include <vector>

namespace tv {

class TIniFile {
public:
    // Reads the whole file; a file that is absent or unreadable gives an
    // empty image. Nothing is written until UpdateFile, and a file that
    // exists but could not be read is never overwritten.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return FFileName; }

    // The value of the key; defaultValue when the section or key is absent.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Sets the key in the memory image, adding the section and key when
    // absent. Line breaks in the value become blanks, so that the value
    // stays on its line.
    void WriteString(const std::string& section, const std::string& key, const std::string& text);

    // The file as UpdateFile writes it.
    std::string Text() const;
    // Replaces the file with the memory image (atomically). False when the
    // file could not be written or could not be read at construction; the
    // disk then holds the old file.
    bool UpdateFile() const;

    struct Line {
        std::string Key;  // empty for a line kept as it stood
        std::string Value;
        bool IsKey = false;
    };
    struct Section {
        std::string Name;
        std::vector<Line> Lines;
    };
    struct Image {
        std::vector<Line> Leading;  // lines before the first section
        std::vector<Section> Sections;
    };
    // The memory image, to keep and to put back when a write fails.
    const Image& GetImage() const { return FImage; }
    void SetImage(Image image) { FImage = std::move(image); }

private:
    const Line* Find(const std::string& section, const std::string& key) const;

    std::string FFileName;
    bool FUnreadable = false;
    Image FImage;
};

} // namespace tv
