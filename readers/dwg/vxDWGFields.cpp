// Reading one field of a row.
#include "readers/dwg/vxDWGFields.h"

namespace vx {

void ReadDWGField(TdwgStreams& s, TdwgCode code, const TdwgValue& prev, TdwgValue& v) {
  TvxBitCursor& d = s.Dat;
  v.Present = true;
  switch (code) {
    case dcB: v.I = ReadBit(d); break;
    case dcBB: v.I = ReadBB(d); break;
    case dcBS: v.I = ReadBS(d); break;
    case dcBL: v.I = ReadBL(d); break;
    case dcBLL: v.I = int64_t(ReadBLL(d)); break;
    case dcBD: v.D = ReadBD(d); break;
    case dcRC: v.I = ReadRC(d); break;
    case dcRS: v.I = ReadRS(d); break;
    case dcRL: v.I = ReadRL(d); break;
    case dcRD: v.D = ReadRD(d); break;
    case dc2RD: v.P = Read2RD(d); break;
    case dc2BD: v.P = Read2BD(d); break;
    case dc3BD: v.P = Read3BD(d); break;
    case dc3RD: v.P = Read3RD(d); break;
    case dcTV: v.S = s.TV(); break;
    case dcCMC: v.C = s.CMC(); break;
    case dcH: v.H = s.H(); break;
    case dcTimeBL:
      v.I = ReadBL(d);
      v.I2 = ReadBL(d);
      break;
    case dcHData: v.H = ReadHandle(d, 0); break;
    case dcHIf3:
      v.Present = prev.I == 3;
      if (v.Present) v.H = s.H();
      break;
    case dcDD: v.D = ReadDD(d, prev.D); break;
    case dc2DD:
      v.P.X = ReadDD(d, prev.P.X);
      v.P.Y = ReadDD(d, prev.P.Y);
      v.P.Z = prev.P.Z;
      break;
    case dc3DD:
      v.P.X = ReadDD(d, prev.P.X);
      v.P.Y = ReadDD(d, prev.P.Y);
      v.P.Z = ReadDD(d, prev.P.Z);
      break;
    case dcBT: v.D = s.BT(); break;
    case dcBE: v.P = s.BE(); break;
  }
}

}  // namespace vx
