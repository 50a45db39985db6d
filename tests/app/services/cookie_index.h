// A browser cookie index for tests that list the machine's cookie sites.
#pragma once

#include <string>

namespace tidvex::test {

// A cookie index laid out as the browser keeps it: a 20 KB header and hash
// area, then records of 256 bytes ("URL ", "LEAK", "HASH", ...) whose name
// area holds the cookie's key and, after NULs, the cookie file's name.
class CookieIndex {
public:
    CookieIndex() {
        data_ = "Client UrlCache MMF Ver 5.2";
        data_.resize(0x5000, '\0');
    }
    void Record(const std::string& signature, const std::string& key, const std::string& file) {
        std::string r(256, '\0');
        r.replace(0, 4, signature);
        r[4] = 2;       // blocks the record takes
        r[8] = '\x7f';  // times, sizes and offsets: bytes the text leaves out
        r[0x34] = 0x68;
        r[97] = '\x10';
        r.replace(0x68, key.size(), key);
        r.replace(0xB0, file.size(), file);
        data_ += r;
    }
    void Tail(const std::string& bytes) { data_ += bytes; }
    const std::string& Bytes() const { return data_; }

private:
    std::string data_;
};

}  // namespace tidvex::test
