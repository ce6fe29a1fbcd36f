# shellcheck shell=bash
# Sourced by the package tests: lintian, every tag down to pedantic, as
# Debian 12's and trixie's lintian are asked alike. Hardening, stripping,
# changelog, copyright and manual page are all its business. A tag that has
# to stay needs an override shipped in the package, with its reason.
# shellcheck disable=SC2034,SC2054 # used by the sourcing tests; the commas are lintian's
readonly lintian_options=(-EvIL +pedantic --fail-on error,warning,info,pedantic)
