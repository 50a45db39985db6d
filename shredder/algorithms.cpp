#include "algorithms.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fraxil {

namespace {

PassInfo Pattern(std::vector<uint8_t> bytes) { return {WriteType::Pattern, std::move(bytes)}; }
PassInfo Random() { return {WriteType::Random, {}}; }
PassInfo Complement() { return {WriteType::Complement, {}}; }

}  // namespace

std::vector<ShreddingAlgorithm> BuildAlgorithmTable() {
    std::vector<ShreddingAlgorithm> table;
    table.push_back({"Quick Shred",
                     "The fastest but the least secured data destruction algorithm.",
                     {Pattern({0x00})}});
    table.push_back({"U.S. Standard, DoD 5220.22-M",
                     "U.S. Department of Defence specifies a triple pass overwrite algorithm in the DoD 5220.22-M specification.",
                     {Random(), Complement(), Random()}});
    table.push_back({"NAVSO P-5239-26 (RLL)",
                     "Navy Staff Office Publication (NAVSO Pub) 5239, \"Information Systems Security (INFOSEC) Program Guidelines\" is issued by the Naval Information Systems Management Center. Disk controllers use a variety of encoding techniques to convert the computer data to a format suitable for the magnetic data storage media. Typically, ST506 style disk drives use Modified Frequency Modulation (MFM) encoding; SCSI and ATA/IDE drives use a Run Length Limited (RLL) encoding scheme. If you are uncertain as to the drive encoding technique, use this pattern.",
                     {Pattern({0x01}), Pattern({0x27, 0xFF, 0xFF, 0xFF}), Random()}});
    table.push_back({"NAVSO P-5239-26 (MFM)",
                     "Navy Staff Office Publication (NAVSO Pub) 5239, \"Information Systems Security (INFOSEC) Program Guidelines\" is issued by the Naval Information Systems Management Center. Disk controllers use a variety of encoding techniques to convert the computer data to a format suitable for the magnetic data storage media. Typically, ST506 style disk drives use Modified Frequency Modulation (MFM) encoding; SCSI and ATA/IDE drives use a Run Length Limited (RLL) encoding scheme. This algorithm implements MFM pattern.",
                     {Pattern({0x01}), Pattern({0x7F, 0xFF, 0xFF, 0xFF}), Random()}});
    table.push_back({"German Standard, VSITR",
                     "According to VSITR (instruction #11, 29th, Nov. 1999), issued by Bundesamt fuer Sicherheit in der Informationstechnik (BSI), each sector will be overwritten with three alternating patterns of 00 and FF and in last pass with AA.",
                     {Pattern({0x00}), Pattern({0xFF}), Pattern({0x00}), Pattern({0xFF}), Pattern({0x00}),
                      Pattern({0xFF}), Pattern({0xAA})}});
    return table;
}

void FillWriteBuffer(uint8_t* buffer, const PassInfo& pass, size_t length) {
    length = std::min(length, kWriteBufferSize);
    switch (pass.type) {
        case WriteType::Pattern:
            if (pass.pattern.empty()) {
                std::fill(buffer, buffer + length, uint8_t{0});
            } else {
                for (size_t i = 0; i < length; ++i) buffer[i] = pass.pattern[i % pass.pattern.size()];
            }
            break;
        case WriteType::Random:
            for (size_t i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(std::rand() & 0xFF);
            break;
        case WriteType::Complement:
            for (size_t i = 0; i < length; ++i) buffer[i] = static_cast<uint8_t>(~buffer[i]);
            break;
    }
}

std::string FormatPatternHex(uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

}  // namespace fraxil
