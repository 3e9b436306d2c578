// Exceptions the class library throws for what a program cannot go on without.
#pragma once

// A window class, drawing object or resource the library needs could not be had.
struct CResourceException {};

[[noreturn]] inline void AfxThrowResourceException()
{
    throw CResourceException();
}
