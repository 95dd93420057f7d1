// Preloaded into 32-bit Wine when it runs under qemu-i386 user-mode emulation.
// The emulator leaves the trap number of the signal context at -1, and Wine's
// i386 fault handler then reports every fault, an access violation included,
// as an illegal instruction, so structured exception handling over a bad
// pointer kills the process instead of reaching its handler. This wraps the
// fault handlers the program installs and fills the trap number in from the
// signal and its code, as the kernel would, before they run.
//
// Built twice: for i386, and as an empty twin for x86_64 so that 64-bit
// processes given the same LD_PRELOAD (through $LIB) find a library of their
// own class and do not warn.
#if defined(__i386__)
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stddef.h>
#include <ucontext.h>

typedef void (*InfoHandler)(int, siginfo_t*, void*);
typedef int (*SigactionFunction)(int, const struct sigaction*, struct sigaction*);

static InfoHandler g_handlers[NSIG];

// The x86 exception vector the kernel would report for this signal.
static int TrapNumber(int sig, int code)
{
    switch (sig) {
    case SIGSEGV: return code == SI_KERNEL ? 13 : 14; // general protection : page fault
    case SIGBUS: return code == BUS_ADRALN ? 17 : 14; // alignment check : page fault
    case SIGILL: return 6;                            // invalid opcode
    case SIGTRAP: return code == SI_KERNEL ? 3 : 1;   // int3 : debug (single step)
    case SIGFPE:
        switch (code) {
        case FPE_INTDIV: return 0;
        case FPE_INTOVF: return 4;
        default: return 16; // x87 floating-point error
        }
    default: return -1;
    }
}

static void FillTrapNumber(int sig, siginfo_t* info, void* context)
{
    greg_t* trap = &((ucontext_t*)context)->uc_mcontext.gregs[REG_TRAPNO];
    if (*trap == -1)
        *trap = TrapNumber(sig, info->si_code);
    g_handlers[sig](sig, info, context);
}

int sigaction(int sig, const struct sigaction* action, struct sigaction* old)
{
    static SigactionFunction next;
    if (next == NULL)
        next = (SigactionFunction)dlsym(RTLD_NEXT, "sigaction");
    if (sig <= 0 || sig >= NSIG)
        return next(sig, action, old);

    const InfoHandler previous = g_handlers[sig];
    const int wrap = action != NULL && TrapNumber(sig, 0) >= 0 && (action->sa_flags & SA_SIGINFO) &&
                     action->sa_sigaction != FillTrapNumber;
    struct sigaction wrapped;
    if (wrap) {
        wrapped = *action;
        wrapped.sa_sigaction = FillTrapNumber;
        g_handlers[sig] = action->sa_sigaction;
        action = &wrapped;
    }
    const int result = next(sig, action, old);
    if (result != 0 && wrap)
        g_handlers[sig] = previous;
    // The caller sees its own handler, not the wrapper.
    if (result == 0 && old != NULL && (old->sa_flags & SA_SIGINFO) && old->sa_sigaction == FillTrapNumber)
        old->sa_sigaction = previous;
    return result;
}
#endif
