// Calls every member of an object's dual interface straight through its vtable,
// as an early-bound caller does, while every guarded member is made to fail
// where it begins (com::gMemberFault throws std::bad_alloc). The arguments are
// empty: pointers to zeroed storage for the out and in-out ones, empty texts,
// zero numbers and an empty variant for the rest.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace tidvex::test {

struct MemberCall {
    std::string member;     // "get_Language", "put_Language", "Initialize"
    HRESULT result = S_OK;  // what the member returned
    std::string source;     // the thread's error information after the call, when it has any
    std::string description;
};

// The object's type information comes from its own IDispatch.
std::vector<MemberCall> CallEveryMemberFailing(IDispatch* object);

// Expects every member (there is at least one) to come back as the failed call
// of "Out of memory" (0x800A0007) from source, with error information the
// object vouches for through ISupportErrorInfo.
void ExpectEveryMemberFailsAsOutOfMemory(IDispatch* object, const std::string& source);

}  // namespace tidvex::test
