# shellcheck shell=bash
# Sourced by the CPU benchmarks (on the host, and in the trixie trees'
# chroots where they copy it): a process's CPU time and the median of a
# column of figures.

# shellcheck disable=SC2034 # the scripts that source this use it
ticks=$(getconf CLK_TCK)
# utime + stime of a process, all its threads, in clock ticks (fields 14 and
# 15 after the command name, which may hold spaces).
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
# The median of the numbers on standard input, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
