# A profile report file: the cycle profile of one run.
@0xa9aac37b790c58b5;

using Cxx = import "/capnp/c++.capnp";
$Cxx.namespace("zor::schema");

using Common = import "profile_common.capnp";

struct Profile {
  schemaVersion @0 :UInt32;
  clockHz @1 :UInt64;
  tiles @2 :List(TileProfile);
}

struct TileProfile {
  physicalTile @0 :UInt32;
  samples @1 :List(CycleSample);
}

struct CycleSample {
  step @0 :Common.Step;
  startCycle @1 :UInt32;
  endCycle @2 :UInt32;
}
