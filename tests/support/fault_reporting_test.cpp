// Faults reach a program's exception handlers as what they are. 32-bit Wine
// runs here under emulation, and the emulator's signal contexts need a mend
// (tests/support/emulator_trap_number.c) before Wine tells an access
// violation, a division by zero or a breakpoint from an illegal instruction.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Seen {
    DWORD code = 0;
    const unsigned char* address = nullptr;
    ULONG_PTR access = ~ULONG_PTR{0}; // access violations: 0 read, 1 write
    ULONG_PTR target = 0;            // access violations: the address touched
};
Seen g_seen;

// The length of the instructions below that the handler steps over.
constexpr std::uintptr_t kInt3Length = 1;
constexpr std::uintptr_t kDivEcxLength = 2;

LONG CALLBACK Record(EXCEPTION_POINTERS* pointers)
{
    const EXCEPTION_RECORD& record = *pointers->ExceptionRecord;
    g_seen = {record.ExceptionCode, static_cast<const unsigned char*>(record.ExceptionAddress)};
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        g_seen.access = record.ExceptionInformation[0];
        g_seen.target = record.ExceptionInformation[1];
        return EXCEPTION_CONTINUE_SEARCH; // IsBad...Ptr's own handler recovers
    }
    std::uintptr_t skip = 0;
    if (record.ExceptionCode == EXCEPTION_BREAKPOINT)
        skip = kInt3Length;
    else if (record.ExceptionCode == EXCEPTION_INT_DIVIDE_BY_ZERO)
        skip = kDivEcxLength;
    else
        return EXCEPTION_CONTINUE_SEARCH;
    const auto resume = reinterpret_cast<std::uintptr_t>(record.ExceptionAddress) + skip;
#if defined(__x86_64__)
    pointers->ContextRecord->Rip = resume;
#else
    pointers->ContextRecord->Eip = resume;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

class FaultReporting : public testing::Test {
protected:
    void SetUp() override
    {
        g_seen = {};
        handler_ = AddVectoredExceptionHandler(1, Record);
        ASSERT_NE(handler_, nullptr);
    }
    void TearDown() override { RemoveVectoredExceptionHandler(handler_); }

private:
    void* handler_ = nullptr;
};

TEST_F(FaultReporting, AccessViolationsNameTheAccessAndTheAddress)
{
    EXPECT_TRUE(IsBadReadPtr(reinterpret_cast<const void*>(std::uintptr_t{8}), 4));
    EXPECT_EQ(g_seen.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(g_seen.access, 0u);
    EXPECT_EQ(g_seen.target, 8u);

    static const char readOnly[] = "constant";
    EXPECT_TRUE(IsBadWritePtr(const_cast<char*>(readOnly), 1));
    EXPECT_EQ(g_seen.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
    EXPECT_EQ(g_seen.access, 1u);
    EXPECT_EQ(g_seen.target, reinterpret_cast<ULONG_PTR>(readOnly));
}

TEST_F(FaultReporting, DivisionByZeroAndBreakpointAreReportedAtTheirInstruction)
{
    volatile unsigned divisor = 0;
    unsigned quotient = 0;
    asm volatile("xorl %%edx, %%edx\n\tdivl %%ecx" : "=a"(quotient) : "a"(7u), "c"(divisor) : "edx");
    EXPECT_EQ(g_seen.code, static_cast<DWORD>(EXCEPTION_INT_DIVIDE_BY_ZERO));
    ASSERT_NE(g_seen.address, nullptr);
    EXPECT_EQ(g_seen.address[0], 0xF7); // div
    (void)quotient;

    DebugBreak();
    EXPECT_EQ(g_seen.code, static_cast<DWORD>(EXCEPTION_BREAKPOINT));
    ASSERT_NE(g_seen.address, nullptr);
    EXPECT_EQ(g_seen.address[0], 0xCC); // int3
}

} // namespace
