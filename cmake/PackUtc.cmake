# Read by CPack before it packs: the time zone in which it writes the local times of zip entries.
set(ENV{TZ} UTC)
