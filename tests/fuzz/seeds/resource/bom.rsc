54630=Vistafold
57100=vistafold.ini
%9=x
