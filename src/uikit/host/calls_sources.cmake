# Cross-thread calls and element timers of host windows.
target_sources(velmora_win PRIVATE
)
