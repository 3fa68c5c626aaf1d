-- 中文名的视图
select 产品名称, 类别, 销售金额 from 产品销售汇总 where 类别 = '饮料' order by 销售金额 desc
