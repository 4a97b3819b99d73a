#pragma once
// A large database for the benchmark, made from a seed: the same seed and
// sizes give the same file. Vehicles and customers stay, hires spread over
// twenty years up to the present; the newest hires are open (up to half the
// fleet out), a small share of the returned ones is unsettled, and nearly
// every settled hire has its income entry in the account book.
#include <QDateTime>
#include <QString>
#include <cstdint>

struct BenchSizes {
    int vehicles = 10000;
    int customers = 100000;
    int hires = 1000000;
    uint64_t seed = 20260310;
};

struct BenchCounts {
    int openHires = 0;
    int unsettled = 0;
    int accountEntries = 0;
};

// Writes a new database file (the program's own schema and account book) with
// the rows above; an existing file at that path is replaced.
BenchCounts MakeBenchDatabase(const QString& fileName, const BenchSizes& sizes);

// The present moment of the data: the last hires begin just before it.
QDateTime BenchPresent();

// Open hires for these sizes: the newest hires, at most 49 vehicles in 100
// and one hire in twenty.
int BenchOpenHires(const BenchSizes& sizes);
