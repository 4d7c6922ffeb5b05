# Prints the LV2 features a host hands to Kestrion's plug-in and to its UI as
# it makes them, with the UI's parent window, each value the plug-in takes
# from a control port the host changed, and the UI's and the plug-in's
# cleanup calls, then lets the host go on. The
# trial scripts run a host under it when LV2_TRACE is set:
#   gdb -batch -x scripts/lv2-trace.gdb --args HOST ARGS...
set pagination off
set breakpoint pending on
set print thread-events off
set print inferior-events off
handle SIGPIPE SIGUSR1 SIGUSR2 SIGPROF nostop noprint pass
# The two entries that receive the host's features (plug-in, then UI).
break Lv2Entry.cpp:Instantiate
commands
  silent
  printf "lv2-features plug-in:"
  set $f = features
  while $f != 0 && *$f != 0
    printf " %s", (*$f)->URI
    set $f = $f + 1
  end
  printf "\n"
  continue
end
break Lv2Ui.cpp:Instantiate
commands
  silent
  printf "lv2-features UI:"
  set $f = features
  while $f != 0 && *$f != 0
    printf " %s", (*$f)->URI
    if $_streq((*$f)->URI, "http://lv2plug.in/ns/extensions/ui#parent")
      printf "=0x%lx", (unsigned long) (*$f)->data
    end
    set $f = $f + 1
  end
  printf "\n"
  continue
end
# A value from a control port that changed since the last run.
break Lv2Plugin::ApplyPortValue
commands
  silent
  printf "lv2-port %d = %g\n", index + 4, value
  continue
end
break Lv2Ui.cpp:Cleanup
commands
  silent
  printf "lv2-cleanup UI\n"
  continue
end
break Lv2Entry.cpp:Cleanup
commands
  silent
  printf "lv2-cleanup plug-in\n"
  continue
end
run
