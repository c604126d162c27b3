#!/usr/bin/env bash
# The real encoder that CI's e2e test runs: lame.exe, built once from
# Debian's source package by build-encoders.sh into ~/.cache/corvandale/.
exec "$(dirname "$0")/build-encoders.sh" lame
